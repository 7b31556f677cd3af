#include "platform/CodePage.h"

namespace halvane::platform {
namespace {

// Code points of 0x80..0x9F in Windows-1252; 0 marks the five unassigned
// bytes, which map to the C1 control of the same value.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when malformed.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) noexcept {
  const auto b0 = static_cast<unsigned char>(text[i]);
  std::size_t len;
  char32_t min;
  if (b0 < 0x80) { cp = b0; return 1; }
  if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; min = 0x80; }
  else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; cp = b0 & 0x0F; min = 0x800; }
  else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; cp = b0 & 0x07; min = 0x10000; }
  else return 0;
  if (text.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

int AnsiCharLower(int c) noexcept {
  if (c < 0 || c > 255) return c;
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

int AnsiCharUpper(int c) noexcept {
  if (c < 0 || c > 255) return c;
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

std::string AnsiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    ch = static_cast<char>(AnsiCharLower(static_cast<unsigned char>(ch)));
  }
  return out;
}

char32_t AnsiToCodePoint(unsigned char c) noexcept {
  if (c >= 0x80 && c <= 0x9F && kHigh[c - 0x80] != 0) return kHigh[c - 0x80];
  return c;
}

int CodePointToAnsi(char32_t cp) noexcept {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp || (kHigh[i] == 0 && cp == static_cast<char32_t>(0x80 + i))) {
      return 0x80 + i;
    }
  }
  return 0;
}

bool IsValidUtf8(std::string_view text) noexcept {
  char32_t cp;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = DecodeUtf8(text, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string BytesToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char ch : bytes) AppendUtf8(out, AnsiToCodePoint(static_cast<unsigned char>(ch)));
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  char32_t cp;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = DecodeUtf8(utf8, i, cp);
    if (n == 0) {  // not UTF-8 after all: keep the byte
      out.push_back(utf8[i]);
      ++i;
      continue;
    }
    const int b = CodePointToAnsi(cp);
    out.push_back(b == 0 && cp != 0 ? '?' : static_cast<char>(b));
    i += n;
  }
  return out;
}

}  // namespace halvane::platform
