#pragma once
#include <string>

namespace halvane {

// One news item as the news window lists it.
struct TNewsRow {
  std::string Title;
  std::string Date;
  std::string Id;
};

}  // namespace halvane
