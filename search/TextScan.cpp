#include "TextScan.h"

#include <charconv>
#include <cstdint>

namespace halvane {
namespace {

inline char FoldAscii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

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

}  // namespace halvane
