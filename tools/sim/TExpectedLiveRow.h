#pragma once
#include <string>

namespace halvane::sim {

// One row of a live run's results list (the modern page test): the cells in
// column order.
struct TExpectedLiveRow {
  std::string authority;    // "0".."10", or "-"
  std::string url;          // the address as harvested
  std::string comments;     // "Open" or "Closed"
  std::string commentLinks; // "Followed", "Mixed" or "None yet"
  std::string hasYourLink;  // "Yes" or "No"
  std::string anchorName;   // the anchor's text, case kept, or "-"
  std::string trafficRank;  // e.g. "1,234", or "-"

  bool operator==(const TExpectedLiveRow&) const = default;
};

}  // namespace halvane::sim
