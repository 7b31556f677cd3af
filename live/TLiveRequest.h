#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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
  // When set, the body of a 2xx answer goes here piece by piece, on the
  // client's worker thread, instead of into TLiveResponse::Body (so a large
  // download needs no memory of its size); the body cap still counts it.
  // Returning false ends the transfer with TLiveError::Other. The bodies of
  // other answers (error pages) still land in Body.
  std::function<bool(std::string_view)> BodySink;
};

}  // namespace halvane::live
