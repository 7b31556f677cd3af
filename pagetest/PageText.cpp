#include "pagetest/PageText.h"

#include "base/TextScan.h"

#include <cstddef>
#include <cstdint>

namespace halvane::pagetest {

namespace {

// Length of the valid UTF-8 sequence at text[i], 0 when none starts there.
std::size_t ValidSequenceLength(std::string_view text, std::size_t i) noexcept {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead >= 0x01 && lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char c = byte(i + k);
    const unsigned char min = k == 1 ? low : 0x80;
    const unsigned char max = k == 1 ? high : 0xBF;
    if (c < min || c > max) return 0;
  }
  return length;
}

}  // namespace

bool IsHtmlSpace(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string_view TrimHtmlSpace(std::string_view text) noexcept {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool HasToken(std::string_view tokens, std::string_view token) noexcept {
  std::size_t i = 0;
  while (i < tokens.size()) {
    while (i < tokens.size() && IsHtmlSpace(tokens[i])) ++i;
    const std::size_t start = i;
    while (i < tokens.size() && !IsHtmlSpace(tokens[i])) ++i;
    if (i > start && EqualsNoCase(tokens.substr(start, i - start), token)) return true;
  }
  return false;
}

bool AppendCollapsed(std::string& out, bool& pendingBlank, std::string_view text, std::size_t maxBytes) {
  for (const char c : text) {
    if (IsHtmlSpace(c)) {
      pendingBlank = !out.empty();
      continue;
    }
    if (out.size() + (pendingBlank ? 2 : 1) > maxBytes) return false;
    if (pendingBlank) out.push_back(' ');
    pendingBlank = false;
    out.push_back(c);
  }
  return true;
}

std::string_view WithoutCutSequence(std::string_view text) noexcept {
  // Look back over at most three continuation bytes to the lead byte.
  std::size_t lead = text.size();
  for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
    const auto c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) != 0x80) {
      lead = text.size() - back;
      break;
    }
  }
  if (lead == text.size()) return text;
  const auto c = static_cast<unsigned char>(text[lead]);
  const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return text.size() - lead < length ? text.substr(0, lead) : text;
}

std::string RepairUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = ValidSequenceLength(text, i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const auto unit = [&](std::size_t i) -> std::uint32_t {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  std::string out;
  out.reserve(bytes.size() / 2 * 3);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | cp >> 6));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | cp >> 12));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | cp >> 18));
      out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace halvane::pagetest
