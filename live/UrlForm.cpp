#include "live/UrlForm.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

#include "base/HostName.h"
#include "base/TextScan.h"

namespace halvane::live {
namespace {

struct TUrlFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using TUrlHandle = std::unique_ptr<CURLU, TUrlFree>;

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char UpperHex(char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; }

// Not allowed anywhere in an address (RFC 3986 section 2), besides
// non-ASCII bytes, blanks and controls.
bool IsIllegal(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return true;
  for (const char bad : std::string_view("\"<>\\^`{|}")) {
    if (c == static_cast<unsigned char>(bad)) return true;
  }
  return false;
}

// Path, query or user information with its illegal bytes escaped.
std::string Escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%' && i + 2 < text.size() && IsHex(text[i + 1]) && IsHex(text[i + 2])) {
      out += '%';
      out += UpperHex(text[i + 1]);
      out += UpperHex(text[i + 2]);
      i += 2;
    } else if (c == '%' || IsIllegal(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> CurlUrl(CURLU* url, unsigned flags) {
  char* text = nullptr;
  if (curl_url_get(url, CURLUPART_URL, &text, flags) != CURLUE_OK || text == nullptr) return std::nullopt;
  std::string out(text);
  curl_free(text);
  return out;
}

// The scheme at the start of text ("HTTP:" -> "http"), or "" when there is none.
std::string SchemeOf(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && ((text[n] >= 'a' && text[n] <= 'z') || (text[n] >= 'A' && text[n] <= 'Z') ||
                             (n > 0 && ((text[n] >= '0' && text[n] <= '9') || text[n] == '+' || text[n] == '-' ||
                                        text[n] == '.')))) {
    ++n;
  }
  return n > 0 && n < text.size() && text[n] == ':' ? AsciiLowerCase(text.substr(0, n)) : std::string();
}

std::string_view WithoutFragment(std::string_view text) { return text.substr(0, text.find('#')); }

}  // namespace

std::optional<std::string> NormalAddress(std::string_view address) {
  address = WithoutFragment(TrimBlanks(address));
  if (address.size() > kMaxAddressBytes) return std::nullopt;
  const std::string scheme = SchemeOf(address);
  if ((scheme != "http" && scheme != "https") || address.substr(scheme.size(), 3) != "://") return std::nullopt;
  std::string_view rest = address.substr(scheme.size() + 3);
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?"));
  rest.remove_prefix(authority.size());

  const std::size_t at = authority.rfind('@');
  const std::string_view userInfo = at == std::string_view::npos ? std::string_view() : authority.substr(0, at);
  std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
  std::string_view host, port;
  if (!hostPort.empty() && hostPort.front() == '[') {  // an IPv6 literal: libcurl checks it
    const std::size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = hostPort.substr(0, close + 1);
    port = hostPort.substr(close + 1);
  } else {
    const std::size_t colon = hostPort.find(':');
    host = hostPort.substr(0, colon);
    port = colon == std::string_view::npos ? std::string_view() : hostPort.substr(colon);
  }
  // libcurl would decode an escape in a host name into any byte.
  if (host.empty() || host.find('%') != std::string_view::npos) return std::nullopt;
  const std::optional<std::string> asciiHost = AsciiHostName(host);
  if (!asciiHost) return std::nullopt;
  if (!port.empty() && (port.front() != ':' || port.find_first_not_of("0123456789", 1) != std::string_view::npos)) {
    return std::nullopt;
  }
  if (port.size() > 1) {  // ":" alone means the default; nobody serves port 0
    unsigned long number = 0;
    for (const char digit : port.substr(1)) number = std::min(number * 10 + static_cast<unsigned long>(digit - '0'), 100000ul);
    if (number == 0 || number > 65535) return std::nullopt;
  }

  std::string text = scheme + "://";
  if (at != std::string_view::npos) text += Escaped(userInfo) + "@";
  text += *asciiHost;
  text += port;
  text += Escaped(rest);
  TUrlHandle url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return std::nullopt;
  // libcurl removes dot segments, drops the default port and an empty one,
  // and writes a numeric IPv4 host ("0x7f000001", "2130706433") in dotted form.
  std::optional<std::string> normal = CurlUrl(url.get(), CURLU_NO_DEFAULT_PORT);
  if (normal && std::any_of(normal->begin(), normal->end(), [](char c) { return IsIllegal(static_cast<unsigned char>(c)); })) {
    return std::nullopt;  // whatever libcurl made of it, the form holds no illegal byte
  }
  return normal;
}

std::optional<std::string> ResolveAddress(std::string_view base, std::string_view reference) {
  reference = WithoutFragment(TrimBlanks(reference));
  const std::optional<std::string> normalBase = NormalAddress(base);
  if (!normalBase || reference.size() > kMaxAddressBytes) return std::nullopt;
  if (reference.empty()) return normalBase;
  if (!SchemeOf(reference).empty()) return NormalAddress(reference);
  const std::size_t colon = normalBase->find(':');
  if (reference.substr(0, 2) == "//") return NormalAddress(normalBase->substr(0, colon + 1) + std::string(reference));
  TUrlHandle url(curl_url());
  const std::string relative = Escaped(reference);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, normalBase->c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, relative.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  const auto resolved = CurlUrl(url.get(), 0);
  return resolved ? NormalAddress(*resolved) : std::nullopt;
}

}  // namespace halvane::live
