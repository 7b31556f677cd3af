#pragma once
// Where the Traffic Rank column comes from: a local list, looked up at once.
#include <string>
#include <string_view>

namespace halvane::liverun {

class TRankLookup {
 public:
  virtual ~TRankLookup() = default;
  virtual std::string Name() const = 0;
  // The cell for a page address: a comma-grouped rank or "-".
  virtual std::string Cell(std::string_view url) = 0;
};

}  // namespace halvane::liverun
