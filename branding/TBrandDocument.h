#pragma once
// A settings document as read: the record's plain entries and every member
// of the numbered families, before the random choice.
#include <string>
#include <vector>

#include "branding/TBrandSettings.h"

namespace halvane {

struct TBrandDocument {
  // Entries 1 to 17 with the affiliate id substituted and the Make Money
  // default applied; the chosen fields stay empty until ChooseBrandEntries.
  TBrandSettings Settings;
  // Values of Welcome1.., Banner1.., Link1.. in number order.
  std::vector<std::string> Welcome;
  std::vector<std::string> Banner;
  std::vector<std::string> Link;
};

}  // namespace halvane
