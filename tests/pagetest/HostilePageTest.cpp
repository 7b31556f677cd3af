// Hostile markup: the page test answers, in bounded time and memory, and
// says when it could not judge the whole page.
#include <gtest/gtest.h>

#include <string>

#include "pagetest/PageTest.h"
#include "pagetest/TagCost.h"

namespace halvane::pagetest {
namespace {

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Everything after it is in the post's text, where the user's link counts.
const std::string kGenerator = "<meta name='generator' content='WordPress 6.4'>";
const std::string kWordPressHead = kGenerator + "<div class='entry-content'>";

TEST(HostilePageTest, HundredThousandNestedElementsStopTheTest) {
  for (const char* tag : {"<div>", "<span>", "<b><i>", "<table><tr><td>"}) {
    SCOPED_TRACE(tag);
    const TPageVerdict verdict =
        TestModernPage(kWordPressHead + Repeat(tag, 100000) + "<a href='https://myshop.example/'>x</a>",
                       "myshop.example");
    EXPECT_FALSE(verdict.Qualifies);
    EXPECT_EQ(verdict.Reason, "elements nested deeper than 4096 levels");
    EXPECT_TRUE(verdict.IsWordPress);  // what was read before stays
  }
}

TEST(HostilePageTest, DeepButAllowedNestingIsJudged) {
  const std::string page = kWordPressHead + Repeat("<div>", 4000) +
                           "<a rel='ugc' href='https://myshop.example/'>deep</a>" + Repeat("</div>", 4000);
  const TPageVerdict verdict = TestModernPage(page, "myshop.example");
  EXPECT_TRUE(verdict.Qualifies) << verdict.Reason;
  EXPECT_EQ(verdict.Anchor, "deep");
}

TEST(HostilePageTest, StrayEndTagsDeepDownExhaustTheErrorBudget) {
  // Each stray end tag makes the parser search all open elements.
  const std::string page = kGenerator + Repeat("<span>", 4000) + Repeat("</div>", 1000000);
  const TPageVerdict verdict = TestModernPage(page, "");
  EXPECT_FALSE(verdict.Qualifies);
  EXPECT_EQ(verdict.Reason.rfind("markup too broken to judge (the parser gave up after ", 0), 0u)
      << verdict.Reason;
}

TEST(HostilePageTest, SloppyPagesStayWithinTheBudget) {
  // Ten thousand unmatched end tags and bare ampersands: a careless template.
  const std::string page = kWordPressHead + Repeat("<div><p>a & b</span></div>", 10000) +
                           "<a href='https://myshop.example/'>end</a>";
  const TPageVerdict verdict = TestModernPage(page, "myshop.example");
  EXPECT_TRUE(verdict.Qualifies) << verdict.Reason;
  EXPECT_EQ(verdict.Anchor, "end");
}

TEST(HostilePageTest, FiftyMegabytePagesAreJudgedOnTheirStart) {
  std::string page = kWordPressHead + "<a href='https://myshop.example/'>first</a>";
  const std::string filler = "<p>Blue widgets <a href='/w'>on sale</a> today.</p>\n";
  page += Repeat(filler, (std::size_t{50} << 20) / filler.size());
  page += "<li id='comment-2'><a rel='nofollow' href='https://late.example/'>past the cap</a>";
  ASSERT_GT(page.size(), kMaxPageBytes);
  const TPageVerdict verdict = TestModernPage(page, "myshop.example");
  EXPECT_TRUE(verdict.Truncated);
  EXPECT_EQ(verdict.CommentLinks, TCommentLinks::NoneYet);  // the late nofollow lies past the cap
  EXPECT_TRUE(verdict.Qualifies);
  EXPECT_EQ(verdict.Anchor, "first");

  const TPageVerdict small = TestModernPage(page.substr(0, kMaxPageBytes), "myshop.example");
  EXPECT_FALSE(small.Truncated);
}

TEST(HostilePageTest, AnEndlessAnchorIsCut) {
  const std::string page = kWordPressHead + "<a href='https://myshop.example/'>" +
                           Repeat("caf\xC3\xA9   \n", 1000000) + "</a>";
  const TPageVerdict verdict = TestModernPage(page, "myshop.example");
  EXPECT_LE(verdict.Anchor.size(), kMaxAnchorBytes);
  EXPECT_GE(verdict.Anchor.size(), kMaxAnchorBytes - 8);
  EXPECT_EQ(verdict.Anchor.substr(0, 11), "caf\xC3\xA9 caf\xC3\xA9");
  EXPECT_EQ(verdict.Anchor.find("\xEF\xBF\xBD"), std::string::npos);  // cut between characters
  EXPECT_NE(verdict.Anchor.back(), ' ');

  // An odd number of bytes before two-byte characters: the cut falls inside one.
  const TPageVerdict odd = TestModernPage(
      kWordPressHead + "<a href='https://myshop.example/'>x" + Repeat("\xC3\xA9", 1000000) + "</a>",
      "myshop.example");
  EXPECT_EQ(odd.Anchor, "x" + Repeat("\xC3\xA9", (kMaxAnchorBytes - 1) / 2));
}

std::string CrowdedTag(std::size_t attributes, const std::string& prefix = "a") {
  std::string tag = "<div";
  for (std::size_t i = 0; i < attributes; ++i) tag += " " + prefix + std::to_string(i) + "=\"v>\"";
  return tag + ">x</div>\n";
}

TEST(HostilePageTest, TagsWithThousandsOfAttributesAreNotParsed) {
  // The parser compares each attribute with all before it in the tag.
  const std::string reason = "tags with thousands of attributes: too costly to judge";
  EXPECT_EQ(TestModernPage(kWordPressHead + CrowdedTag(40000), "").Reason, reason);
  // Many tags, each tolerable alone, add up.
  EXPECT_EQ(TestModernPage(kWordPressHead + Repeat(CrowdedTag(600), 200), "").Reason, reason);
  EXPECT_TRUE(HasCrowdedTags(CrowdedTag(40000)));
  // Read as UTF-16 the same tag hides from a look at its bytes.
  std::string utf16 = "\xFF\xFE";
  for (const char c : kWordPressHead + CrowdedTag(40000)) utf16 += std::string{c, '\0'};
  EXPECT_EQ(TestModernPage(utf16, "").Reason, reason);
  EXPECT_TRUE(HasCrowdedTags("<div" + Repeat(" a b c d", 10000)));  // unended tag
}

TEST(HostilePageTest, BusyButOrdinaryTagsPass) {
  EXPECT_FALSE(HasCrowdedTags(Repeat(CrowdedTag(60), 20000)));
  // Quoted values, comments, scripts and styles hold no attributes.
  EXPECT_FALSE(HasCrowdedTags("<svg><path d=\"" + Repeat("M 1 2 L 3 4 ", 100000) + "\"></svg>"));
  EXPECT_FALSE(HasCrowdedTags("<!-- <div " + Repeat("a ", 100000) + " -->"));
  EXPECT_FALSE(HasCrowdedTags("<script>if (a <b" + Repeat(" x", 100000) + ") {}</script><p>"));
  EXPECT_FALSE(HasCrowdedTags("<STYLE>a <b" + Repeat(" x", 100000) + "</style>"));
  EXPECT_TRUE(HasCrowdedTags("<script>x</script><p" + Repeat(" x", 100000) + ">"));
  const std::string page = kWordPressHead + Repeat(CrowdedTag(60), 1000) + "<a href='https://myshop.example/'>m</a>";
  EXPECT_TRUE(TestModernPage(page, "myshop.example").Qualifies);
}

TEST(HostilePageTest, UnendedConstructsRunToTheEnd) {
  const std::string link = "<a href='https://myshop.example/'>mine</a>";
  for (const std::string& tail :
       {std::string("<!--"), std::string("<a href='"), std::string("<script>"), std::string("<![CDATA["),
        std::string("<textarea>"), std::string("<a href=\"x\" title=\"")}) {
    SCOPED_TRACE(tail);
    const TPageVerdict verdict =
        TestModernPage(kWordPressHead + link + tail + Repeat("a<b>c ", 1000000), "myshop.example");
    EXPECT_TRUE(verdict.IsWordPress);
    EXPECT_EQ(verdict.Anchor, "mine");
  }
}

TEST(HostilePageTest, NulsAndBrokenBytesNeitherEndNorBreakThePage) {
  const std::string nuls = std::string("\0\0<p>\0x\0</p>\0", 13) + kWordPressHead +
                           "<a href='https://myshop.example/'>\xFF\xC0 ok</a><li id='comment-2'><a rel='nofollow' href='//x.example'>late</a>";
  const TPageVerdict verdict = TestModernPage(nuls, "myshop.example");
  EXPECT_TRUE(verdict.IsWordPress);
  EXPECT_EQ(verdict.CommentLinks, TCommentLinks::Nofollow);
  EXPECT_EQ(verdict.Anchor, "\xEF\xBF\xBD\xEF\xBF\xBD ok");

  EXPECT_FALSE(TestModernPage(std::string(1000, '\0'), "x").IsWordPress);
  EXPECT_FALSE(TestModernPage("", "x").IsWordPress);
  EXPECT_EQ(TestModernPage("", "x").Anchor, "-");
  // A UTF-16 page cut in the middle of a unit gives some verdict, not a failure.
  const std::string utf16("\xFF\xFE<\0a\0 \0h\0r\0e\0f\0=\0x\0>", 21);
  EXPECT_FALSE(TestModernPage(utf16, "x").Qualifies);
}

}  // namespace
}  // namespace halvane::pagetest
