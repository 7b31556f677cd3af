#pragma once
// The columns of a live run's rows: captions and cell texts.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace halvane::liverun {

inline constexpr int kLiveColumnCount = 6;
enum TLiveColumn : int {
  kLiveAuthority = 0,
  kLiveUrl = 1,
  kLiveComments = 2,
  kLiveHasYourLink = 3,
  kLiveAnchorName = 4,
  kLiveTrafficRank = 5,
};

// One row as shown: a cell per column, "" while a figure is still awaited.
using TLiveRow = std::array<std::string, kLiveColumnCount>;

inline constexpr std::string_view kNoFigure = "-";
inline constexpr std::string_view kKeywordCaption = "Keyword";

// "Authority", "URL", "Comments", "Has Your Link", "Anchor Name", "Traffic Rank".
const std::vector<std::string>& LiveColumnCaptions();

}  // namespace halvane::liverun
