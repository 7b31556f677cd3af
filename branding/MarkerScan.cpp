#include "MarkerScan.h"

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
  // Next candidate of each letter case; each is searched again only once the
  // scan has passed it, so the whole search stays linear.
  constexpr std::size_t kNone = std::string_view::npos;
  auto nextOf = [&](unsigned char c, std::size_t at) -> std::size_t {
    if (at > last) return kNone;
    const void* p = std::memchr(base + at, c, last - at + 1);
    return p ? static_cast<std::size_t>(static_cast<const char*>(p) - base) : kNone;
  };
  std::size_t nextLo = nextOf(first, from);
  std::size_t nextUp = first == firstUpper ? kNone : nextOf(firstUpper, from);
  while (true) {
    const std::size_t i = nextLo < nextUp ? nextLo : nextUp;
    if (i == kNone) break;
    std::size_t k = 1;
    while (k < needle.size() && Fold(base[i + k]) == Fold(needle[k])) ++k;
    if (k == needle.size()) return i;
    if (i == nextLo) nextLo = nextOf(first, i + 1);
    else nextUp = nextOf(firstUpper, i + 1);
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
