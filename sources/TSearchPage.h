#pragma once
#include <string>
#include <vector>

namespace halvane::sources {

// What one answer of a search service gave.
struct TSearchPage {
  std::vector<std::string> Urls;  // as listed, unfiltered
  bool MoreAvailable = true;      // false when the service says this was the last page
  std::string Error;              // not "": the answer is unusable, and why (for a user)
};

}  // namespace halvane::sources
