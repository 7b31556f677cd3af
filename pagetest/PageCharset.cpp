#include "pagetest/PageCharset.h"

#include "base/TextScan.h"

#include <cstddef>

#include "pagetest/PageText.h"

namespace halvane::pagetest {

namespace {

// Browsers look for the declaration in the first 1024 bytes only.
constexpr std::size_t kPrescanBytes = 1024;

bool IsCharsetChar(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == '.' || c == ':';
}

}  // namespace

std::string DeclaredCharset(std::string_view html) {
  const std::string head = AsciiLowerCase(html.substr(0, kPrescanBytes));
  std::size_t meta = head.find("<meta");
  while (meta != std::string::npos) {
    const std::size_t close = head.find('>', meta);
    const std::string_view tag = std::string_view(head).substr(
        meta, close == std::string::npos ? std::string::npos : close - meta);
    const std::size_t at = tag.find("charset");
    if (at != std::string_view::npos) {
      std::size_t i = at + 7;
      while (i < tag.size() && IsHtmlSpace(tag[i])) ++i;
      if (i < tag.size() && tag[i] == '=') {
        ++i;
        while (i < tag.size() && (IsHtmlSpace(tag[i]) || tag[i] == '"' || tag[i] == '\'')) ++i;
        const std::size_t start = i;
        while (i < tag.size() && IsCharsetChar(tag[i])) ++i;
        if (i > start) {
          // A declaration read in ASCII bytes cannot be true of a UTF-16
          // page; browsers read such a page as UTF-8.
          const std::string_view name = tag.substr(start, i - start);
          return std::string(name.substr(0, 6) == "utf-16" ? std::string_view("utf-8") : name);
        }
      }
    }
    if (close == std::string::npos) break;
    meta = head.find("<meta", close);
  }
  return {};
}

}  // namespace halvane::pagetest
