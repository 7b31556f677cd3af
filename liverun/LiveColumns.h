#pragma once
// The columns of a live run's results, in one table: each column's caption,
// its text in the list and the CSV, how it sorts, and its JSON name and
// value. The window, the CSV and the JSON read this table, and nothing else
// turns a result into text.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "liverun/TLiveResult.h"

namespace halvane::liverun {

inline constexpr int kLiveColumnCount = 7;
enum TLiveColumn : int {
  kLiveAuthority = 0,
  kLiveUrl = 1,
  kLiveComments = 2,
  kLiveCommentLinks = 3,
  kLiveHasYourLink = 4,
  kLiveAnchorName = 5,
  kLiveTrafficRank = 6,
};

inline constexpr std::string_view kNoFigure = "-";
inline constexpr std::string_view kKeywordCaption = "Keyword";
inline constexpr std::string_view kKeywordJsonName = "keyword";
inline constexpr std::string_view kFootprintCaption = "Footprint";
inline constexpr std::string_view kFootprintJsonName = "footprint";
// With a memory of earlier runs: was the page judged for the first time?
inline constexpr std::string_view kNewCaption = "New";
inline constexpr std::string_view kNewJsonName = "new";

// A JSON value: null, a boolean, an integer or a string.
using TJsonValue = std::variant<std::nullptr_t, bool, std::int64_t, std::string>;

struct TLiveColumnDef {
  std::string_view Caption;
  std::string_view JsonName;
  // Sorts as a number (an unknown or awaited figure as 0), else as text.
  bool Numeric = false;
  // The cell: "" while a figure is awaited, "-" when it is unknown.
  std::string (*Text)(const TLiveResult&) = nullptr;
  std::int64_t (*Number)(const TLiveResult&) = nullptr;  // Numeric columns only
  TJsonValue (*Json)(const TLiveResult&) = nullptr;
};

// Indexed by TLiveColumn.
const std::vector<TLiveColumnDef>& LiveColumnTable();

// "Authority", "URL", "Comments", "Comment Links", "Has Your Link",
// "Anchor Name", "Traffic Rank".
const std::vector<std::string>& LiveColumnCaptions();

// The cell of column (a TLiveColumn); "" for a column out of range.
std::string LiveCellText(const TLiveResult& result, int column);

// Negative, 0 or positive: numeric columns by their figures, the others by
// textCompare (the window's collation, or plain byte order).
int CompareLiveResults(const TLiveResult& a, const TLiveResult& b, int column,
                       int (*textCompare)(std::string_view, std::string_view));

}  // namespace halvane::liverun
