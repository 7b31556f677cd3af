#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace halvane::live {

struct TLiveResponse;

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
  // Whom the request serves ("pages", "search", "authority"...): AbortGroup
  // ends the requests of one group and leaves the others running.
  std::string Group;
  // The request holds a key (headers such as Authorization, X-Subscription-
  // Token and API-OPR count without it): a redirect to another origin, or
  // from https to http, ends it with TLiveError::UnsafeRedirect.
  bool CarriesSecret = false;
  std::int64_t MaxBodyBytes = 0;  // 0: the client's limit
  // When set, the body of a 2xx answer goes here piece by piece, on the
  // client's worker thread, instead of into TLiveResponse::Body (so a large
  // download needs no memory of its size); the body cap still counts it.
  // Returning false ends the transfer with TLiveError::Other. The bodies of
  // other answers (error pages) still land in Body.
  std::function<bool(std::string_view)> BodySink;
  // Seconds each attempt may take, connecting included; 0: the settings'.
  int TimeoutSeconds = 0;
  // For a 429 or 503 answer: the seconds to wait before asking again
  // (attempt counts the attempts so far, from 1), or nothing to hand the
  // answer over as it is. Unset: RetryWaitSeconds, the client's own rule.
  std::function<std::optional<long>(const TLiveResponse&, int attempt)> RetryWait;
};

}  // namespace halvane::live
