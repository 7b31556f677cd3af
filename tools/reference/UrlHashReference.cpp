#include "tools/reference/UrlHashReference.h"

#include <string>

namespace halvane::test {
namespace {

inline void Mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
  a -= b; a -= c; a ^= c >> 13;
  b -= c; b -= a; b ^= a << 8;
  c -= a; c -= b; c ^= b >> 13;
  a -= b; a -= c; a ^= c >> 12;
  b -= c; b -= a; b ^= a << 16;
  c -= a; c -= b; c ^= b >> 5;
  a -= b; a -= c; a ^= c >> 3;
  b -= c; b -= a; b ^= a << 10;
  c -= a; c -= b; c ^= b >> 15;
}

inline std::uint32_t Byte(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

inline std::uint32_t Word(std::string_view s, std::size_t i) {
  return Byte(s, i) | Byte(s, i + 1) << 8 | Byte(s, i + 2) << 16 | Byte(s, i + 3) << 24;
}

}  // namespace

std::uint32_t ReferenceHashBytes(std::string_view s) {
  std::uint32_t a = 0x9E3779B9u, b = 0x9E3779B9u, c = 0xE6359A60u;
  std::size_t i = 0;
  std::size_t left = s.size();
  while (left >= 12) {
    a += Word(s, i);
    b += Word(s, i + 4);
    c += Word(s, i + 8);
    Mix(a, b, c);
    i += 12;
    left -= 12;
  }
  c += static_cast<std::uint32_t>(s.size());
  for (std::size_t k = 0; k < left; ++k) {
    const std::uint32_t v = Byte(s, i + k);
    if (k < 4) a += v << (8 * k);
    else if (k < 8) b += v << (8 * (k - 4));
    else c += v << (8 * (k - 8 + 1));
  }
  Mix(a, b, c);
  return c;
}

std::uint32_t ReferenceUrlHash(std::string_view text, bool oldVersion) {
  const std::uint32_t x = ReferenceHashBytes(text);
  if (oldVersion) return x;
  const std::uint32_t y = ((x / 7) << 2) | ((x % 13) & 7);
  std::string cells;
  cells.reserve(80);
  std::uint32_t v = y;
  for (int i = 0; i < 20; ++i) {
    for (int k = 0; k < 4; ++k) cells.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    v -= 9;
  }
  return ReferenceHashBytes(cells);
}

}  // namespace halvane::test
