#include "base/MarkerScan.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace halvane {
namespace {

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) {
    t[i] = static_cast<unsigned char>((i >= 'A' && i <= 'Z') ? i + 32 : i);
  }
  return t;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

inline unsigned char Fold(char c) { return kFold[static_cast<unsigned char>(c)]; }

}  // namespace

std::size_t FindNoCase(std::string_view haystack, std::string_view needle,
                       std::size_t from) noexcept {
  if (from > haystack.size()) return std::string_view::npos;
  if (needle.empty()) return from;
  if (needle.size() > haystack.size() - from) return std::string_view::npos;
  const unsigned char first = Fold(needle[0]);
  const unsigned char firstUpper =
      (first >= 'a' && first <= 'z') ? static_cast<unsigned char>(first - 32) : first;
  const char* base = haystack.data();
  const std::size_t last = haystack.size() - needle.size();
  // The candidates of both letter cases are searched in windows that start
  // small and double, so a call costs time in proportion to the distance to
  // its match: a loop of calls over a page then stays linear even when one
  // letter case never occurs.
  std::size_t i = from;
  std::size_t window = 64;
  while (i <= last) {
    const std::size_t end = std::min(last + 1, i + window);
    auto nextOf = [&](unsigned char c, std::size_t at) -> std::size_t {
      if (at >= end) return end;
      const void* p = std::memchr(base + at, c, end - at);
      return p ? static_cast<std::size_t>(static_cast<const char*>(p) - base) : end;
    };
    std::size_t nextLo = nextOf(first, i);
    std::size_t nextUp = first == firstUpper ? end : nextOf(firstUpper, i);
    while (true) {
      const std::size_t at = std::min(nextLo, nextUp);
      if (at >= end) break;
      std::size_t k = 1;
      while (k < needle.size() && Fold(base[at + k]) == Fold(needle[k])) ++k;
      if (k == needle.size()) return at;
      if (at == nextLo) nextLo = nextOf(first, at + 1);
      else nextUp = nextOf(firstUpper, at + 1);
    }
    i = end;
    window = std::min<std::size_t>(window * 2, 1 << 16);
  }
  return std::string_view::npos;
}

std::string ExtractBetween(std::string_view& document, std::string_view openMarker,
                           std::string_view closeMarker) {
  const std::size_t open = FindNoCase(document, openMarker);
  if (open == std::string_view::npos) return {};
  document.remove_prefix(open + openMarker.size());
  const std::size_t close = FindNoCase(document, closeMarker);
  if (close == std::string_view::npos) return {};
  std::string value(document.substr(0, close));
  document.remove_prefix(close);
  return value;
}

std::string EncodeForUrl(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0) break;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '*' || c == '-' || c == '.' ||
        c == '@' || c == '_') {
      out.push_back(ch);
    } else if (c == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

}  // namespace halvane
