#pragma once
#include <string>

namespace halvane::sim {

// One row of the results list as the program must show it after a full,
// undisturbed run: the cells in column order.
struct TExpectedRow {
  std::string url;
  std::string pageRank;
  std::string homePageRank;
  std::string hasYourLink;  // "Yes" or "No"
  std::string anchorName;   // lower-cased anchor text, or "-"
  std::string alexaRanking; // e.g. "12,345", or "-"

  bool operator==(const TExpectedRow&) const = default;
};

}  // namespace halvane::sim
