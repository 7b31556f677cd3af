#include "pagetest/LinkHost.h"

#include "base/HostName.h"
#include "base/TextScan.h"

namespace halvane::pagetest {

namespace {

bool IsAsciiLetter(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsSchemeChar(char c) noexcept {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

bool IsSlash(char c) noexcept { return c == '/' || c == '\\'; }

int HexValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// The host of an authority and what follows it ("user@Host:80/path").
std::optional<std::string> HostOfAuthority(std::string_view rest) {
  std::string_view authority = rest.substr(0, rest.find_first_of("/\\?#"));
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  if (!host.empty() && host.front() == '[') {
    const std::size_t close = host.find(']');
    host = close == std::string_view::npos ? std::string_view() : host.substr(0, close + 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  if (host.empty()) return std::nullopt;
  std::optional<std::string> ascii =
      host.find('%') == std::string_view::npos ? AsciiHostName(host) : AsciiHostName(PercentDecoded(host));
  if (!ascii || ascii->empty()) return std::nullopt;
  return ascii;
}

}  // namespace

std::optional<std::string> HostOfLink(std::string_view href, std::string_view ownHost) {
  std::string withoutBreaks;
  if (href.find_first_of("\t\n\r") != std::string_view::npos) {
    for (const char c : href) {
      if (c != '\t' && c != '\n' && c != '\r') withoutBreaks.push_back(c);
    }
    href = withoutBreaks;
  }
  href = TrimBlanks(href);
  std::size_t i = 0;
  if (!href.empty() && IsAsciiLetter(href[0])) {
    while (i < href.size() && IsSchemeChar(href[i])) ++i;
  }
  if (i > 0 && i < href.size() && href[i] == ':') {
    const std::string_view scheme = href.substr(0, i);
    if (!EqualsNoCase(scheme, "http") && !EqualsNoCase(scheme, "https")) return std::nullopt;
    std::string_view rest = href.substr(i + 1);
    while (!rest.empty() && IsSlash(rest.front())) rest.remove_prefix(1);
    return HostOfAuthority(rest);
  }
  if (href.size() >= 2 && IsSlash(href[0]) && IsSlash(href[1])) {
    while (!href.empty() && IsSlash(href.front())) href.remove_prefix(1);
    return HostOfAuthority(href);
  }
  return std::string(ownHost);
}

std::string UserDomainHost(std::string_view typed) {
  typed = TrimBlanks(typed);
  const std::size_t scheme = typed.find("://");
  if (scheme != std::string_view::npos) typed.remove_prefix(scheme + 3);
  std::string host = HostOfAuthority(typed).value_or("");
  if (!host.empty() && host.back() == '.') host.pop_back();
  if (host.rfind("www.", 0) == 0 && host.find('.', 4) != std::string::npos) host.erase(0, 4);
  return host;
}

}  // namespace halvane::pagetest
