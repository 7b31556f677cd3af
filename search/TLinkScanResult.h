#pragma once
#include <string>

namespace halvane {

// Whether a page links to the user's domain, and the first such link's
// anchor text (markup inside the link kept).
struct TLinkScanResult {
  bool hasLink = false;
  std::string anchor;
};

}  // namespace halvane
