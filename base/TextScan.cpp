#include "base/TextScan.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace halvane {
namespace {

inline char FoldAscii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) <= 0x20; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string_view TrimWhiteSpace(std::string_view text) noexcept {
  const auto white = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && white(text.front())) text.remove_prefix(1);
  while (!text.empty() && white(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) noexcept {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string AsciiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (FoldAscii(text[i]) != FoldAscii(prefix[i])) return false;
  }
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool ContainsNoCase(std::string_view text, std::string_view part) noexcept {
  if (part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, part.size()), part)) return true;
  }
  return false;
}

int Int32OrZero(std::string_view text) noexcept {
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return value;
}

std::string RemoveAll(std::string_view text, std::string_view what) {
  if (what.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, from)) {
    out.append(text.substr(from, at - from));
    from = at + what.size();
  }
  out.append(text.substr(from));
  return out;
}

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
