#pragma once
// Test-side clients of the simulated web: plain fetches, raw exchanges, and
// walks that read the served pages the way the program reads them.
#include <optional>
#include <string>
#include <vector>

#include "tools/sim/TExpectedRow.h"

namespace halvane::simtest {

struct TFetched {
  int status = -1;  // -1: no answer
  std::string body;
};

// GET of target on ip:port, the target sent verbatim.
TFetched Fetch(const std::string& ip, int port, const std::string& target);
// GET of an absolute "http://host:port/target" address, sent verbatim.
TFetched FetchAddress(const std::string& address);

// Sends request on a fresh connection to ip:port and returns every byte
// received until the server closes or nothing arrives for idleMs.
std::string Exchange(const std::string& ip, int port, const std::string& request, int idleMs = 3000);

// The harvest over the served result pages for keyword and depth index.
std::vector<std::string> WalkHarvest(int port, const std::string& keyword, int depthIndex,
                                     const std::string& imagePrefix);

// The item analysis of one harvested address over the served pages:
// nothing when the page is dropped.
std::optional<sim::TExpectedRow> WalkRow(int port, const std::string& address, const std::string& domain);

// A PageRank query for a page name with a given checksum; the reply body.
std::string RankReply(int port, const std::string& page, unsigned long long checksum);

}  // namespace halvane::simtest
