#include "live/UrlParts.h"

#include "base/TextScan.h"

#include <curl/curl.h>

#include <charconv>
#include <memory>

namespace halvane::live {

namespace {

struct TUrlFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> Part(CURLU* url, CURLUPart part, unsigned flags) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) return std::nullopt;
  std::string out(text);
  curl_free(text);
  return out;
}

}  // namespace

std::string TUrlParts::Origin() const {
  const bool v6 = Host.find(':') != std::string::npos;
  return Scheme + "://" + (v6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Port);
}

std::optional<TUrlParts> SplitUrl(std::string_view url) {
  std::unique_ptr<CURLU, TUrlFree> handle(curl_url());
  if (!handle) return std::nullopt;
  if (url.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string text(url);
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return std::nullopt;
  TUrlParts parts;
  auto scheme = Part(handle.get(), CURLUPART_SCHEME, 0);
  auto host = Part(handle.get(), CURLUPART_HOST, 0);
  auto port = Part(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  auto path = Part(handle.get(), CURLUPART_PATH, 0);
  if (!scheme || !host || !port || !path || host->empty()) return std::nullopt;
  parts.Scheme = AsciiLowerCase(*scheme);
  if (parts.Scheme != "http" && parts.Scheme != "https") return std::nullopt;
  parts.Host = AsciiLowerCase(*host);
  if (parts.Host.size() > 2 && parts.Host.front() == '[' && parts.Host.back() == ']') {
    parts.Host = parts.Host.substr(1, parts.Host.size() - 2);
  }
  const auto [end, error] = std::from_chars(port->data(), port->data() + port->size(), parts.Port);
  if (error != std::errc() || end != port->data() + port->size() || parts.Port < 1 || parts.Port > 65535) {
    return std::nullopt;  // libcurl takes port 0; nobody serves there
  }
  parts.PathAndQuery = path->empty() ? "/" : *path;
  if (auto query = Part(handle.get(), CURLUPART_QUERY, 0)) parts.PathAndQuery += "?" + *query;
  return parts;
}

}  // namespace halvane::live
