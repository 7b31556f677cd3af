#include "ShellUtils.h"

#include <algorithm>

namespace halvane {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void SplitString(char separator, std::string_view text, std::vector<std::string>& parts) {
  parts.clear();
  std::string current;
  for (char c : text) {
    if (c == separator) {
      parts.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
}

std::string DecodeHexEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '$') {
      out.push_back(text[i++]);
      continue;
    }
    const std::size_t digits = std::min<std::size_t>(2, text.size() - i - 1);
    if (digits == 0) return {};
    int value = 0;
    for (std::size_t k = 1; k <= digits; ++k) {
      const int d = HexValue(text[i + k]);
      if (d < 0) return {};
      value = value * 16 + d;
    }
    out.push_back(static_cast<char>(value));
    i += 1 + digits;
  }
  return out;
}

}  // namespace halvane
