#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace halvane::live {

enum class TRequestKind {
  Page,  // a web page: robots.txt applies
  Api,   // a service's API or a download: robots.txt does not apply
};

struct TLiveRequest {
  std::string Method = "GET";  // "GET" or "POST"
  std::string Url;
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Body;            // POST body, sent as is
  std::string ContentType;     // POST: e.g. "application/json"
  TRequestKind Kind = TRequestKind::Api;
  std::int64_t MaxBodyBytes = 0;  // 0: the client's limit
};

}  // namespace halvane::live
