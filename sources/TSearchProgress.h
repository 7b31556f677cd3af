#pragma once
// What a live search reports before each page it asks.
#include <cstddef>
#include <string>
#include <vector>

namespace halvane::sources {

struct TSearchProgress {
  std::string Engine;         // "SearXNG", "Brave Search"
  int Page = 1;               // the page being asked, from 1
  std::size_t Addresses = 0;  // distinct addresses so far
  // The addresses found since the last progress report, in order, so a
  // caller can start on them while the harvest goes on (the last page's
  // come only with the outcome).
  std::vector<std::string> NewAddresses;

  // "Searching SearXNG, page 3..."
  std::string StatusText() const;
};

}  // namespace halvane::sources
