#pragma once
// What a live search reports before each page it asks.
#include <cstddef>
#include <string>
#include <vector>

namespace halvane::liverun {

// "Searching SearXNG, page 3...": the one wording, for the run's status and
// the back end's progress alike.
inline std::string SearchingText(const std::string& engine, int page) {
  return "Searching " + engine + ", page " + std::to_string(page) + "...";
}

struct TSearchProgress {
  std::string Engine;         // "SearXNG", "Brave Search"
  int Page = 1;               // the page being asked, from 1
  std::size_t Addresses = 0;  // distinct addresses so far
  // The addresses found since the last progress report, in order, so a
  // caller can start on them while the harvest goes on (the last page's
  // come only with the outcome).
  std::vector<std::string> NewAddresses;

  std::string StatusText() const { return SearchingText(Engine, Page); }
};

}  // namespace halvane::liverun
