#pragma once
// What a live search gives when it ends.
#include <string>
#include <vector>

namespace halvane::sources {

struct TSearchOutcome {
  // Distinct addresses in the order found, at most maxAddresses.
  std::vector<std::string> Addresses;
  // "" when the harvest ran to its end (enough addresses, no more pages, a
  // page with nothing new); otherwise why it ended early, for a user
  // ("Brave Search at api.search.brave.com refused the subscription token ...").
  std::string Problem;
};

}  // namespace halvane::sources
