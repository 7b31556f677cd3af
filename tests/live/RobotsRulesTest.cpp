#include <gtest/gtest.h>

#include <string>

#include "live/TRobotsRules.h"

namespace halvane::live {
namespace {

TRobotsRules Rules(std::string_view body) { return TRobotsRules::Parse(body, "Halvane"); }

TEST(RobotsRulesTest, TakesOurGroupElseTheStarGroupElseAllowsAll) {
  EXPECT_TRUE(TRobotsRules().Allowed("/anything"));
  const std::string both = "User-agent: *\nDisallow: /\n\nUser-agent: HALVANE/2.20\nDisallow: /private/\n";
  EXPECT_TRUE(Rules(both).Allowed("/blog/"));
  EXPECT_FALSE(Rules(both).Allowed("/private/x"));
  // Only the star group: it applies.
  EXPECT_FALSE(Rules("User-agent: *\nDisallow: /blog/\n").Allowed("/blog/post"));
  // Someone else's group is not ours, and no group means no rules.
  EXPECT_TRUE(Rules("User-agent: Googlebot\nDisallow: /\n").Allowed("/blog/"));
  EXPECT_TRUE(Rules("Disallow: /\n").Allowed("/blog/"));
  // A group of ours with no rules allows everything, whatever "*" says.
  EXPECT_TRUE(Rules("User-agent: halvane\nDisallow:\n\nUser-agent: *\nDisallow: /\n").Allowed("/blog/"));
  // The token is matched as a whole word, not as a prefix.
  EXPECT_TRUE(Rules("User-agent: Halvanebot\nDisallow: /\n").Allowed("/x"));
  EXPECT_TRUE(Rules("User-agent: Halv\nDisallow: /\n").Allowed("/x"));
  EXPECT_TRUE(TRobotsRules::Parse("User-agent: *\nDisallow: /\n", "Halvane/2.20").Allowed("/x") == false);
}

TEST(RobotsRulesTest, AgentLinesInARowShareAGroupAndOurGroupsMerge) {
  const std::string body =
      "User-agent: Googlebot\nUser-agent: halvane\nDisallow: /a/\n"
      "User-agent: Other\nDisallow: /b/\n"
      "User-agent: Halvane\nDisallow: /c/\n";
  const TRobotsRules rules = Rules(body);
  EXPECT_FALSE(rules.Allowed("/a/1"));
  EXPECT_TRUE(rules.Allowed("/b/1"));
  EXPECT_FALSE(rules.Allowed("/c/1"));
  // Blank lines do not part agent lines either.
  EXPECT_FALSE(Rules("User-agent: halvane\n\nUser-agent: *\nDisallow: /\n").Allowed("/blog/"));
  // Other records inside a group do not end it.
  const TRobotsRules delayed = Rules("User-agent: Halvane\nCrawl-delay: 5\nSitemap: /s.xml\nDisallow: /d/\n");
  EXPECT_FALSE(delayed.Allowed("/d/"));
}

TEST(RobotsRulesTest, LongestMatchWinsAndAllowWinsATie) {
  const TRobotsRules rules = Rules(
      "User-agent: *\nDisallow: /folder/\nAllow: /folder/page\nAllow: /tie\nDisallow: /tie\n"
      "Disallow: /x/*.gif\nAllow: /x/\n");
  EXPECT_FALSE(rules.Allowed("/folder/other"));
  EXPECT_TRUE(rules.Allowed("/folder/page.html"));
  EXPECT_TRUE(rules.Allowed("/tie"));
  EXPECT_TRUE(Rules("User-agent: *\nDisallow: /tie\nAllow: /tie\n").Allowed("/tie"));
  EXPECT_TRUE(Rules("User-agent: *\nDisallow: /*.html\nAllow: /page.*\n").Allowed("/page.html"));
  EXPECT_FALSE(rules.Allowed("/x/a.gif"));  // 9 octets beat 3
  EXPECT_TRUE(rules.Allowed("/x/a.png"));
  EXPECT_TRUE(rules.Allowed("/elsewhere"));
  // Order in the file does not matter.
  EXPECT_TRUE(Rules("User-agent: *\nAllow: /p\nDisallow: /\n").Allowed("/page"));
  EXPECT_TRUE(Rules("User-agent: *\nDisallow: /\nAllow: /p\n").Allowed("/page"));
  EXPECT_FALSE(Rules("User-agent: *\nDisallow: /\nAllow: /p\n").Allowed("/other"));
}

TEST(RobotsRulesTest, StarsAndTheEndAnchor) {
  const TRobotsRules rules = Rules(
      "User-agent: *\nDisallow: /*.php$\nDisallow: /fish*\nDisallow: /*/secret/\nDisallow: /a$b\n"
      "Disallow: /exact$\nDisallow: *tail\n");
  EXPECT_FALSE(rules.Allowed("/index.php"));
  EXPECT_FALSE(rules.Allowed("/dir/index.php"));
  EXPECT_TRUE(rules.Allowed("/index.php?x=1"));
  EXPECT_TRUE(rules.Allowed("/index.php5"));
  EXPECT_FALSE(rules.Allowed("/fish"));
  EXPECT_FALSE(rules.Allowed("/fishheads/y"));
  EXPECT_TRUE(rules.Allowed("/Fish"));  // paths are case-sensitive
  EXPECT_FALSE(rules.Allowed("/one/two/secret/z"));
  EXPECT_TRUE(rules.Allowed("/secret/"));
  EXPECT_FALSE(rules.Allowed("/a$b"));  // "$" inside a pattern is a plain octet
  EXPECT_TRUE(rules.Allowed("/ab"));
  EXPECT_FALSE(rules.Allowed("/exact"));
  EXPECT_TRUE(rules.Allowed("/exact/"));
  EXPECT_FALSE(rules.Allowed("/x/y/tail"));  // a pattern without "/" gets one
  // "Allow: /$" opens the home page alone.
  const TRobotsRules home = Rules("User-agent: *\nAllow: /$\nDisallow: /\n");
  EXPECT_TRUE(home.Allowed("/"));
  EXPECT_FALSE(home.Allowed("/page"));
}

TEST(RobotsRulesTest, PercentEncodingComparesCanonically) {
  const TRobotsRules rules = Rules(
      "User-agent: *\nDisallow: /%7Euser/\nDisallow: /caf\xC3\xA9/\nDisallow: /a%2fb\nDisallow: /q?x=%e3%83%84\n");
  EXPECT_FALSE(rules.Allowed("/~user/page"));
  EXPECT_FALSE(rules.Allowed("/%7euser/page"));
  EXPECT_FALSE(rules.Allowed("/caf%C3%A9/"));
  EXPECT_FALSE(rules.Allowed("/caf%c3%a9/menu"));
  EXPECT_FALSE(rules.Allowed("/a%2Fb"));
  EXPECT_TRUE(rules.Allowed("/a/b"));  // an escaped "/" is not a "/"
  EXPECT_FALSE(rules.Allowed("/q?x=%E3%83%84"));
  EXPECT_TRUE(Rules("User-agent: *\nDisallow: /%41\n").Allowed("/B"));
  EXPECT_FALSE(Rules("User-agent: *\nDisallow: /%41\n").Allowed("/A"));
}

TEST(RobotsRulesTest, ReadsLinesCommentsBomAndSpacing) {
  const std::string body =
      "\xEF\xBB\xBFuser-agent: * # everyone\r\n"
      "# a comment line\r"
      "  DISALLOW :   /one   # trailing\n"
      "Disallow:\n"  // empty: says nothing
      "Disallow /two\n"  // no colon: not a record
      "\tallow:\t/one/open\r\n";
  const TRobotsRules rules = Rules(body);
  EXPECT_FALSE(rules.Allowed("/one"));
  EXPECT_TRUE(rules.Allowed("/one/open"));
  EXPECT_TRUE(rules.Allowed("/two"));
  EXPECT_TRUE(rules.Allowed("/three"));
  EXPECT_TRUE(Rules("User-agent: *\nDisallow:\n").Allowed("/x"));
  // The rules file itself is never refused.
  EXPECT_TRUE(Rules("User-agent: *\nDisallow: /\n").Allowed("/robots.txt"));
}

TEST(RobotsRulesTest, StaysBoundedOnHostileFiles) {
  // Rules past the first 512 KiB are not read.
  std::string big = "User-agent: *\nDisallow: /early\n" + std::string(600 * 1024, '#') + "\nDisallow: /late\n";
  EXPECT_FALSE(Rules(big).Allowed("/early"));
  EXPECT_TRUE(Rules(big).Allowed("/late"));
  // A line cut at the limit is dropped whole rather than read short.
  std::string cut = "User-agent: *\n" + std::string(512 * 1024 - 14 - 12, '\n') + "Disallow: /abcdef\n";
  EXPECT_TRUE(Rules(cut).Allowed("/abc"));
  // Many stars against a long path that almost matches: answered (a
  // backtracking matcher would not finish).
  std::string stars = "User-agent: *\nDisallow: /";
  for (int i = 0; i < 900; ++i) stars += "*a";
  stars += "*b\n";
  const std::string path = "/" + std::string(20000, 'a');
  EXPECT_TRUE(Rules(stars).Allowed(path));
  EXPECT_FALSE(Rules(stars).Allowed(path + "b"));
  // Very many rules: still a plain answer.
  std::string many = "User-agent: *\n";
  for (int i = 0; i < 30000; ++i) many += "Disallow: /p" + std::to_string(i) + "\n";
  EXPECT_FALSE(Rules(many).Allowed("/p5"));
}

}  // namespace
}  // namespace halvane::live
