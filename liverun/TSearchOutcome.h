#pragma once
// What a live search gives when it ends.
#include <string>
#include <vector>

namespace halvane::liverun {

struct TSearchOutcome {
  // Distinct addresses in the order found, at most maxAddresses; those
  // reported as new by progress come first. Also when Problem is set.
  std::vector<std::string> Addresses;
  // "" when the harvest ran to its end (enough addresses, no more pages, a
  // page with nothing new); otherwise why it ended early, naming the engine,
  // for a user ("Brave Search at api.search.brave.com refused the
  // subscription token ...").
  std::string Problem;
};

}  // namespace halvane::liverun
