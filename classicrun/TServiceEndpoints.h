#pragma once
// The outside services the program talks to. The main window is given one
// value at construction: production builds pass ProductionEndpoints(),
// tests pass loopback addresses.
#include <string>

#include "classicrun/TFetchLimits.h"

namespace halvane {

struct TServiceEndpoints {
  // Web search: "host[:port]" of the result pages.
  std::string SearchHost;
  // Lower-case address prefix of the engine's own image search; result
  // links starting with it are skipped.
  std::string ImageSearchPrefix;
  // "host[:port]" of the PageRank query service.
  std::string PageRankHost;
  // "host[:port]" of the site-ranking pages.
  std::string RankingHost;
  // Update server base address, ending in "/liveupdate/halvane/".
  std::string UpdateBaseURL;
  // What an exchange with them may take (tests shorten the limits).
  TFetchLimits Limits;
};

TServiceEndpoints ProductionEndpoints();
// The simulated web (halvane-sim) on 127.0.0.1:port: the demo edition and
// the end-to-end tests.
TServiceEndpoints SimulatedWebEndpoints(int port);

}  // namespace halvane
