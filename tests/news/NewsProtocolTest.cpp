#include "news/NewsProtocol.h"

#include <gtest/gtest.h>

namespace halvane {
namespace {

using Strings = std::vector<std::string>;

TBrandSettings Settings(std::string type) {
  TBrandSettings s;
  s.BranderType = std::move(type);
  s.MasterPublID = "mpub";
  s.MasterNewsBaseURL = "http://m.test/news";
  s.PlatinumPublID = "ppub";
  s.PlatinumNewsBaseURL = "http://p.test/";
  s.GoldPublID = "gpub";
  s.GoldNewsBaseURL = "";
  return s;
}

TEST(NewsTier, RowChosenByExactWordAndNonEmptyIdentity) {
  const auto master = SelectNewsTier(Settings("Master"));
  ASSERT_TRUE(master);
  EXPECT_EQ(master->ProductTypeCode, "BM");
  EXPECT_EQ(master->PublisherId, "mpub");
  EXPECT_EQ(master->BaseUrl, "http://m.test/news");
  EXPECT_EQ(SelectNewsTier(Settings("Platinum"))->ProductTypeCode, "BP");
  EXPECT_EQ(SelectNewsTier(Settings("Platinum"))->BaseUrl, "http://p.test/");
  EXPECT_EQ(NewsBaseUrl(Settings("Master"), "BX"), "");
  // The base address is not tested.
  const auto gold = SelectNewsTier(Settings("Gold"));
  ASSERT_TRUE(gold);
  EXPECT_EQ(gold->ProductTypeCode, "BG");
  EXPECT_EQ(gold->BaseUrl, "");
  for (const char* none : {"Free", "master", "", "Gold "}) {
    EXPECT_FALSE(SelectNewsTier(Settings(none))) << none;
  }
  TBrandSettings noId = Settings("Master");
  noId.MasterPublID.clear();
  EXPECT_FALSE(SelectNewsTier(noId));
}

TEST(NewsRequest, EndpointAndFieldOrder) {
  EXPECT_EQ(NewsEndpoint("http://n.test/news", kNewsListScript), "http://n.test/news/getlastnews.php");
  EXPECT_EQ(NewsEndpoint("http://n.test/news/", kNewsDetailsScript),
            "http://n.test/news/getnewsdetails.php");
  EXPECT_EQ(NewsEndpoint("", kNewsListScript), "/getlastnews.php");

  const TNewsFields list = ListRequestFields("pub", "code", "BM", kNewsTarget);
  EXPECT_EQ(list, (TNewsFields{{"memusername", "pub"}, {"prodcode", "code"}, {"prodtype", "BM"},
                               {"conttype", "all"}, {"newstarget", "UA"}, {"something", ""}}));
  const TNewsFields latest = LatestRequestFields("pub", "code", "BG", kNewsTarget);
  EXPECT_EQ(latest[3], (std::pair<std::string, std::string>{"conttype", "lastcode"}));
  EXPECT_EQ(latest.size(), 6u);
  const TNewsFields details = DetailsRequestFields("pub", "code", "BP", kNewsTarget, "42");
  EXPECT_EQ(details, (TNewsFields{{"memusername", "pub"}, {"prodcode", "code"}, {"prodtype", "BP"},
                                  {"newsid", "42"}, {"newstarget", "UA"}, {"something", ""}}));
}

TEST(NewsReply, TrimAndSuccess) {
  EXPECT_EQ(TrimReply(" \r\n\t1^a\xAFOK\r\n \x01"), "1^a\xAFOK");
  EXPECT_EQ(TrimReply("\xA0x\xA0"), "\xA0x\xA0");  // only bytes up to 0x20 go
  EXPECT_TRUE(IsSuccessReply("OK"));
  EXPECT_TRUE(IsSuccessReply("xOKx"));
  EXPECT_FALSE(IsSuccessReply("ok"));
  EXPECT_FALSE(IsSuccessReply(""));
  EXPECT_FALSE(IsSuccessReply("INVALIDUSER"));
}

TEST(NewsReply, ListSkipsEmptyPiecesAndEndMarker) {
  Strings list{"kept"};
  ParseNewsList("1^First^2009-01-02\xAF\xAF" "2^Second^2009-02-03\xAFOK", list);
  EXPECT_EQ(list, (Strings{"kept", "1^First^2009-01-02", "2^Second^2009-02-03"}));
  Strings empty;
  ParseNewsList("OK", empty);
  EXPECT_TRUE(empty.empty());
  ParseNewsList("\xAF" "OK", empty);
  EXPECT_TRUE(empty.empty());
}

TEST(NewsReply, LatestItem) {
  std::string id = "stale", title = "stale";
  ParseLatestItem("10^New release\xAFOK", id, title);
  EXPECT_EQ(id, "10");
  EXPECT_EQ(title, "New release");
  ParseLatestItem("OK", id, title);
  EXPECT_EQ(id, "");
  EXPECT_EQ(title, "");
  ParseLatestItem("\xAFOK", id, title);
  EXPECT_EQ(id, "");
  ParseLatestItem("11\xAFOK", id, title);  // record without its title
  EXPECT_EQ(id, "11");
  EXPECT_EQ(title, "");
  ParseLatestItem("^\xAFOK", id, title);
  EXPECT_EQ(id, "");
}

TEST(NewsReply, DetailsDecodeEscapesAfterEndMarkerRemoval) {
  EXPECT_EQ(ParseNewsDetails("<p>caf$E9 $24</p>\xAFOK"), "<p>caf\xE9 $</p>");
  EXPECT_EQ(ParseNewsDetails("a\xAFOKb\xAFOK"), "ab");
  EXPECT_EQ(ParseNewsDetails("<p>$G1</p>\xAFOK"), "");  // malformed escape
}

TEST(NewsReply, WarningsByKind) {
  using K = TNewsRequestKind;
  EXPECT_EQ(ReplyWarning("", K::Latest),
            "There is a trouble accessing the news site. Contact your provider.");
  EXPECT_EQ(ReplyWarning("CONNECTIONFAIL", K::List),
            "There is a trouble in the settings file on the news site.");
  EXPECT_EQ(ReplyWarning("INVALIDUSER", K::List),
            "There is a trouble with the Publisher Id. Contact your provider.");
  EXPECT_EQ(ReplyWarning("INVALIDPRODUCT", K::Details),
            "There is a trouble with the product validation. Contact your provider.");
  EXPECT_EQ(ReplyWarning("INVALIDNEWS", K::Details),
            "There is a trouble with this news. Contact your provider.");
  EXPECT_FALSE(ReplyWarning("INVALIDNEWS", K::List));
  EXPECT_FALSE(ReplyWarning("invaliduser", K::List));
  EXPECT_FALSE(ReplyWarning("Server busy", K::List));
}

TEST(NewsIds, WholeNumbersAndAnnouncement) {
  EXPECT_EQ(NewsIdToInt("42"), 42);
  EXPECT_EQ(NewsIdToInt("-7"), -7);
  EXPECT_EQ(NewsIdToInt(""), 0);
  EXPECT_EQ(NewsIdToInt("12a"), 0);
  EXPECT_EQ(NewsIdToInt("2147483648"), 0);
  EXPECT_EQ(NewsIdToInt("2147483647"), 2147483647);
  EXPECT_TRUE(ShouldAnnounce("9", "10"));
  EXPECT_FALSE(ShouldAnnounce("10", "10"));
  EXPECT_TRUE(ShouldAnnounce("", "1"));
  EXPECT_FALSE(ShouldAnnounce("", ""));
  EXPECT_TRUE(ShouldAnnounce("-1", ""));
  EXPECT_FALSE(ShouldAnnounce("3", "news"));
  EXPECT_EQ(NewsHintText("Title"), "You've Got A Message!\r\nTitle");
}

TEST(NewsRows, PiecesMissingAreEmpty) {
  const TNewsRow full = NewsListRow("5^Hello^2009-03-04");
  EXPECT_EQ(full.Title, "Hello");
  EXPECT_EQ(full.Date, "2009-03-04");
  EXPECT_EQ(full.Id, "5");
  const TNewsRow shortRow = NewsListRow("6^Only title");
  EXPECT_EQ(shortRow.Title, "Only title");
  EXPECT_EQ(shortRow.Date, "");
  EXPECT_EQ(NewsListRow("").Id, "");
  EXPECT_EQ(NewsListRow("^^").Title, "");
}

}  // namespace
}  // namespace halvane
