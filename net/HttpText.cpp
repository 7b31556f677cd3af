#include "HttpText.h"

#include <limits>

namespace halvane {

std::string_view TrimHeaderBlanks(std::string_view text) noexcept {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) noexcept {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    if (value > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<std::int64_t> ParseHex(std::string_view text) noexcept {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (value > (std::numeric_limits<std::int64_t>::max() >> 4)) return std::nullopt;
    value = (value << 4) | digit;
  }
  return value;
}

bool HasControlBytes(std::string_view text) noexcept {
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
  }
  return false;
}

}  // namespace halvane
