#include "live/TLiveResponse.h"

#include <algorithm>

namespace halvane::live {

namespace {

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

std::string TLiveResponse::Header(std::string_view name) const {
  for (const auto& [key, value] : Headers) {
    if (SameWord(key, name)) return value;
  }
  return {};
}

}  // namespace halvane::live
