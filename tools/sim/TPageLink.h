#pragma once
#include <string>

namespace halvane::sim {

// A link of a blog page with a quoted target, as written (not lower-cased).
struct TPageLink {
  std::string target;
  std::string anchor;
};

}  // namespace halvane::sim
