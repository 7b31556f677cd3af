#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/TextScan.h"
#include "liverun/LiveColumns.h"

namespace halvane::liverun {
namespace {

// The window's collation ignores case; so does this stand-in.
int NoCaseCompare(std::string_view a, std::string_view b) { return AsciiLowerCase(a).compare(AsciiLowerCase(b)); }

TLiveResult Result(std::optional<int> authority, std::string url, bool open,
                   std::optional<std::uint32_t> rank) {
  TLiveResult result;
  result.AuthorityAwaited = false;
  result.Authority = authority;
  result.Url = std::move(url);
  result.CommentsOpen = open;
  result.TrafficRank = rank;
  return result;
}

void Sort(std::vector<TLiveResult>& rows, int column, bool ascending) {
  std::stable_sort(rows.begin(), rows.end(), [&](const TLiveResult& a, const TLiveResult& b) {
    const int sign = CompareLiveResults(a, b, column, NoCaseCompare);
    return (ascending ? sign : -sign) < 0;
  });
}

std::vector<std::string> Column(const std::vector<TLiveResult>& rows, int column) {
  std::vector<std::string> cells;
  for (const TLiveResult& row : rows) cells.push_back(LiveCellText(row, column));
  return cells;
}

TEST(LiveColumns, AuthorityAndTrafficRankSortAsNumbersTheRestAsText) {
  // An unknown figure ("-") counts as 0; 10 sorts after 2, and "1,234"
  // after 987, as numbers do.
  std::vector<TLiveResult> rows = {Result(2, "http://b", true, 1234), Result(10, "http://C", false, {}),
                                   Result({}, "http://a", true, 987)};
  Sort(rows, kLiveAuthority, true);
  EXPECT_EQ(Column(rows, kLiveAuthority), (std::vector<std::string>{"-", "2", "10"}));
  Sort(rows, kLiveTrafficRank, false);
  EXPECT_EQ(Column(rows, kLiveTrafficRank), (std::vector<std::string>{"1,234", "987", "-"}));
  Sort(rows, kLiveComments, true);
  EXPECT_EQ(Column(rows, kLiveComments), (std::vector<std::string>{"Closed", "Open", "Open"}));
  Sort(rows, kLiveUrl, true);
  EXPECT_EQ(Column(rows, kLiveUrl), (std::vector<std::string>{"http://a", "http://b", "http://C"}));
}

}  // namespace
}  // namespace halvane::liverun
