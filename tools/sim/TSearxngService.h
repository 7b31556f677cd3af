#pragma once
// A SearXNG-style instance: GET /search?q=...&format=json&pageno=N on the
// engine's address. Pages overlap, the end is an empty results array; with
// JSON output switched off in the configuration it answers 403; a failing
// keyword's empty pages list unresponsive_engines ([engine, reason] pairs);
// its bot limiter's 429 has no Retry-After.
#include "TServiceReply.h"
#include "TSimWeb.h"

namespace halvane::sim {

class TSearxngService {
 public:
  explicit TSearxngService(const TSimWeb& web) : FWeb(web) {}

  // Whether target asks this service (a /search with format=json).
  static bool Asks(std::string_view method, std::string_view target);
  TServiceReply Reply(const TServiceRequest& request) const;
  // The reply a fault's status gets: SearXNG's own error page.
  static TServiceReply Error(int status);

 private:
  const TSimWeb& FWeb;
};

}  // namespace halvane::sim
