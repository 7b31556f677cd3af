#pragma once
// Where the Traffic Rank column comes from: a local list, looked up at once
// (sources::TTrancoRank).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvane::liverun {

class TRankLookup {
 public:
  virtual ~TRankLookup() = default;
  virtual std::string Name() const = 0;
  // The rank of a page address's site; nothing when it is not listed.
  virtual std::optional<std::uint32_t> Rank(std::string_view url) = 0;
  // Worth a word to the user once the run's lookups are done (a damaged
  // index rebuilt); "" when there is nothing to say.
  virtual std::string Note() const { return {}; }
};

}  // namespace halvane::liverun
