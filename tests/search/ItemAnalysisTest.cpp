#include "search/ItemAnalysis.h"

#include <gtest/gtest.h>

#include "search/PageText.h"

namespace halvane {
namespace {

TEST(PageText, LineEndsBecomeCrLfAndNulCuts) {
  EXPECT_EQ(PageTextFromBody(""), "");
  EXPECT_EQ(PageTextFromBody("one"), "one\r\n");
  EXPECT_EQ(PageTextFromBody("a\nb\nc"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(PageTextFromBody("a\r\nb\rc\n\nd\r\n"), "a\r\nb\r\nc\r\n\r\nd\r\n");
  EXPECT_EQ(PageTextFromBody("\r\n"), "\r\n");
  EXPECT_EQ(PageTextFromBody(std::string("ab\0cd\n", 6)), "ab\r\n");
  EXPECT_EQ(PageTextFromBody(std::string("\0x", 2)), "");
  EXPECT_EQ(GettingUrlStatusText("http://a/"), "Getting URL: http://a/...");
}

TEST(ItemAnalysis, PageQualification) {
  EXPECT_EQ(TrimAndLowerPage(" \t\r\n<HTML>WP-Content\x01\r\n"), "<html>wp-content");
  EXPECT_TRUE(IsQualifyingPage(TrimAndLowerPage("..WP-CONTENT..")));
  EXPECT_FALSE(IsQualifyingPage(TrimAndLowerPage(" \r\n ")));
  EXPECT_FALSE(IsQualifyingPage("<html>no wordpress</html>"));
  for (const char* nofollow : {"rel='nofollow'>", "rel=\"nofollow\">", "rel=nofollow>"}) {
    EXPECT_FALSE(IsQualifyingPage(TrimAndLowerPage(std::string("wp-content <a ") + nofollow)))
        << nofollow;
  }
  // Only the three closing forms disqualify.
  EXPECT_TRUE(IsQualifyingPage("wp-content rel=\"nofollow noopener\">"));
}

TEST(ItemAnalysis, HomePageAndPageRankNames) {
  EXPECT_EQ(HomePageAddress("http://www.site.test/2008/01/post/"), "http://www.site.test");
  EXPECT_EQ(HomePageAddress("http://site.test"), "http://site.test");
  EXPECT_EQ(PageRankPageName("http://www.site.test/2008/01/post/"), "www.site.test/2008/01/post/");
  EXPECT_EQ(HomePagePageRankName("http://www.site.test/2008/01/post/"), "www.site.test");
  EXPECT_EQ(PageRankPageName("http://blog.site.test/x"), "www.blog.site.test/x");
  EXPECT_EQ(HomePagePageRankName("http://blog.site.test/x"), "www.blog.site.test");
  // Every occurrence goes, case-sensitively; removal is a single pass.
  EXPECT_EQ(StripAddressPrefixes("http://a.test/?u=https://www.b.test/"), "a.test/?u=b.test/");
  EXPECT_EQ(StripAddressPrefixes("HTTP://WWW.A.test"), "HTTP://WWW.A.test");
  EXPECT_EQ(StripAddressPrefixes("hthttp://tp://x"), "http://x");
  EXPECT_EQ(StripHomeAddressPrefixes("http://www.a.test/"), "a.test");
  EXPECT_EQ(StripHomeAddressPrefixes(""), "");
  EXPECT_EQ(DomainFromEditText("  MySite.TEST \t"), "mysite.test");
}

TEST(LinkScan, FindsFirstLinkContainingDomain) {
  const std::string page = TrimAndLowerPage(
      "<a href=\"http://other.test/\">o</a>"
      "<a class=x href='http://MySite.test/'>My <b>Site</b></a>"
      "<a href=\"http://mysite.test/2\">second</a>");
  const TLinkScanResult found = ScanForUserLink(page, "mysite.test");
  EXPECT_TRUE(found.hasLink);
  EXPECT_EQ(found.anchor, "my <b>site</b>");
  EXPECT_EQ(HasYourLinkCellText(found), "Yes");
  EXPECT_EQ(AnchorCellText(found), "my <b>site</b>");
}

TEST(LinkScan, ContainmentEmptyDomainAndMisses) {
  const std::string page = "<a href=\"http://notmysite.test/\"></a>";
  const TLinkScanResult contained = ScanForUserLink(page, "mysite.test");
  EXPECT_TRUE(contained.hasLink);
  EXPECT_EQ(AnchorCellText(contained), "-");

  const TLinkScanResult none = ScanForUserLink(page, "");
  EXPECT_FALSE(none.hasLink);
  EXPECT_EQ(HasYourLinkCellText(none), "No");
  EXPECT_EQ(AnchorCellText(none), "-");

  // The domain only in the anchor text or outside any link does not count.
  EXPECT_FALSE(ScanForUserLink("mysite.test <a href='/x'>mysite.test</a>", "mysite.test").hasLink);
  // A target without its closing quote is empty; the scan goes on.
  EXPECT_TRUE(ScanForUserLink("<a href='http://x <a href=\"http://mysite.test\">m</a>",
                              "mysite.test")
                  .hasLink);
  EXPECT_FALSE(ScanForUserLink("<a href='http://mysite.test", "mysite.test").hasLink);
}

TEST(LinkScan, QuoteKindChosenByFirstMarkerInRest) {
  // The double-quoted marker comes first but lies before the link start, so
  // its search after "<a " fails and the link is passed over.
  EXPECT_FALSE(
      ScanForUserLink("href=\"x\" <a href='http://mysite.test'>m</a>", "mysite.test").hasLink);
  // Once the stray marker is behind, the next link is read normally.
  EXPECT_TRUE(ScanForUserLink("href=\"x\" <a href='a'>1</a> <a href='http://mysite.test'>m</a>",
                              "mysite.test")
                  .hasLink);
}

TEST(RankReply, AnswerAndCell) {
  EXPECT_EQ(RankAnswerFromReply("Rank_1:1:7\r\n"), "7");
  EXPECT_EQ(RankAnswerFromReply("Rank_1:1:4"), "4");
  EXPECT_EQ(RankAnswerFromReply(""), "No Data");
  EXPECT_EQ(RankAnswerFromReply("Rank_1:1:\r\n"), "No Data");
  EXPECT_EQ(RankAnswerFromReply("  :: \r\n"), "No Data");
  EXPECT_EQ(RankAnswerFromReply("<html>error</html>\r\n"), "<html>error</html>");
  EXPECT_EQ(RankCellFromAnswer("7"), "7");
  EXPECT_EQ(RankCellFromAnswer("10"), "10");
  EXPECT_EQ(RankCellFromAnswer("No Data"), "0");
  EXPECT_EQ(RankCellFromAnswer("<html>error</html>"), "0");
  EXPECT_EQ(RankCellFromAnswer(""), "0");
}

TEST(Ranking, AddressAndValue) {
  EXPECT_EQ(RankingPageAddress("rank.test", "http://blog.test/p?x=1"),
            "http://rank.test/siteinfo/http://blog.test/p?x=1");
  const std::string tag = "<img src=\"/images/icons/globe-sm.jpg\"";
  EXPECT_EQ(ExtractRankingValue("<div>" + tag + " alt=\"\"> 12,345 \r\n</div>"), "12,345");
  EXPECT_EQ(ExtractRankingValue(tag + "><a href=\"/x\">1,234</a></div>"), "-");
  EXPECT_EQ(ExtractRankingValue(tag + ">  </div>"), "-");
  EXPECT_EQ(ExtractRankingValue(tag + "> 77"), "-");  // no closing tag
  EXPECT_EQ(ExtractRankingValue(""), "-");
}

}  // namespace
}  // namespace halvane
