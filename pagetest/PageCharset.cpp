#include "pagetest/PageCharset.h"

#include "base/TextScan.h"

#include "pagetest/CharsetLabels.h"
#include "pagetest/PageText.h"

namespace halvane::pagetest {

namespace {

// Browsers look for the declaration in the first 1024 bytes only.
constexpr std::size_t kPrescanBytes = 1024;

bool IsCharsetChar(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_' || c == '.' || c == ':';
}

// The value after "charset" (any case) at text[at]: blanks, "=", an optional
// quote, then charset characters.
std::string_view ValueAfterCharset(std::string_view text, std::size_t at) noexcept {
  std::size_t i = at + 7;
  while (i < text.size() && IsHtmlSpace(text[i])) ++i;
  if (i >= text.size() || text[i] != '=') return {};
  ++i;
  while (i < text.size() && (IsHtmlSpace(text[i]) || text[i] == '"' || text[i] == '\'')) ++i;
  const std::size_t start = i;
  while (i < text.size() && IsCharsetChar(text[i])) ++i;
  return text.substr(start, i - start);
}

bool Starts(std::string_view html, std::string_view mark) noexcept { return html.substr(0, mark.size()) == mark; }

// An encoding the page test can read; replacement and x-user-defined are not.
bool Readable(std::string_view encoding) noexcept { return !ConverterName(encoding).empty(); }

}  // namespace

std::string_view ContentTypeCharset(std::string_view contentType) noexcept {
  for (std::size_t at = 0; at + 7 <= contentType.size(); ++at) {
    if (StartsWithNoCase(contentType.substr(at), "charset")) {
      const std::string_view value = ValueAfterCharset(contentType, at);
      if (!value.empty()) return value;
    }
  }
  return {};
}

std::string DeclaredCharset(std::string_view html) {
  const std::string head = AsciiLowerCase(html.substr(0, kPrescanBytes));
  std::size_t meta = head.find("<meta");
  while (meta != std::string::npos) {
    const std::size_t close = head.find('>', meta);
    const std::string_view tag = std::string_view(head).substr(
        meta, close == std::string::npos ? std::string::npos : close - meta);
    const std::size_t at = tag.find("charset");
    if (at != std::string_view::npos) {
      const std::string_view name = ValueAfterCharset(tag, at);
      if (!name.empty()) return std::string(name);
    }
    if (close == std::string::npos) break;
    meta = head.find("<meta", close);
  }
  return {};
}

TPageCharset PageCharsetOf(std::string_view html, std::string_view contentType) {
  if (Starts(html, "\xEF\xBB\xBF")) return {"UTF-8", 3, TCharsetSource::ByteOrderMark};
  if (Starts(html, "\xFE\xFF")) return {"UTF-16BE", 2, TCharsetSource::ByteOrderMark};
  if (Starts(html, "\xFF\xFE")) return {"UTF-16LE", 2, TCharsetSource::ByteOrderMark};
  const std::string_view fromHeader = EncodingOfLabel(ContentTypeCharset(contentType));
  if (Readable(fromHeader)) return {fromHeader, 0, TCharsetSource::ContentType};
  std::string_view fromMeta = EncodingOfLabel(DeclaredCharset(html));
  // A declaration read in ASCII bytes cannot be true of a UTF-16 page;
  // browsers read such a page as UTF-8, and x-user-defined as windows-1252.
  if (fromMeta == "UTF-16LE" || fromMeta == "UTF-16BE") fromMeta = "UTF-8";
  if (fromMeta == "x-user-defined") fromMeta = "windows-1252";
  if (Readable(fromMeta)) return {fromMeta, 0, TCharsetSource::Meta};
  return {};
}

}  // namespace halvane::pagetest
