#pragma once
#include <string>

namespace halvane::sim {

// The text of one link a result page writes with the result-link marker,
// and whether the pager ("Next<") still follows it on the page.
struct TResultLink {
  std::string text;
  bool beforePager = false;
};

}  // namespace halvane::sim
