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

// RFC 9309's own examples: 2.2.2 (percent-encoding), 2.2.3 (special
// characters) and 5.1, 5.2 (a whole file, the longest match).
TEST(RobotsRulesTest, GivesTheRfcsOwnAnswers) {
  const TRobotsRules encoded = Rules(
      "User-agent: *\nDisallow: /foo/bar?baz=quz\nDisallow: /foo/bar?baz=https%3A%2F%2Ffoo.bar\n"
      "Disallow: /foo/bar/\xE3\x83\x84\nDisallow: /foo/bar/%62%61%7A\n");
  EXPECT_FALSE(encoded.Allowed("/foo/bar?baz=quz"));
  EXPECT_FALSE(encoded.Allowed("/foo/bar?baz=https%3A%2F%2Ffoo.bar"));
  EXPECT_FALSE(encoded.Allowed("/foo/bar/%E3%83%84"));
  EXPECT_FALSE(encoded.Allowed("/foo/bar/baz"));
  EXPECT_FALSE(encoded.Allowed("/foo/bar/%62%61%7A"));

  const TRobotsRules special = Rules(
      "User-agent: *\nDisallow: /path/file-with-a-%2A.html\nDisallow: /path/foo-%24\nDisallow: /*.php$\n");
  EXPECT_FALSE(special.Allowed("/path/file-with-a-*.html"));
  EXPECT_TRUE(special.Allowed("/path/file-with-a-b.html"));  // %2A is a star, not a wildcard
  EXPECT_FALSE(special.Allowed("/path/foo-$"));
  EXPECT_TRUE(special.Allowed("/path/foo-"));  // %24 is a dollar, not the end
  EXPECT_FALSE(special.Allowed("/dir/index.php"));

  const std::string file =
      "User-Agent: *\nDisallow: *.gif$\nDisallow: /example/\nAllow: /publications/\n\n"
      "User-Agent: foobot\nDisallow:/\nAllow:/example/page.html\nAllow:/example/allowed.gif\n\n"
      "User-Agent: barbot\nUser-Agent: bazbot\nDisallow: /example/page.html\n\nUser-Agent: quxbot\n\nEOF\n";
  const TRobotsRules anyone = TRobotsRules::Parse(file, "Halvane");
  EXPECT_FALSE(anyone.Allowed("/example/x"));
  EXPECT_FALSE(anyone.Allowed("/pic.gif"));
  EXPECT_TRUE(anyone.Allowed("/publications/x"));
  const TRobotsRules foobot = TRobotsRules::Parse(file, "foobot");
  EXPECT_FALSE(foobot.Allowed("/"));
  EXPECT_TRUE(foobot.Allowed("/example/page.html"));
  EXPECT_TRUE(foobot.Allowed("/example/allowed.gif"));
  const TRobotsRules bazbot = TRobotsRules::Parse(file, "bazbot");
  EXPECT_FALSE(bazbot.Allowed("/example/page.html"));
  EXPECT_TRUE(bazbot.Allowed("/example/other.html"));
  EXPECT_TRUE(TRobotsRules::Parse(file, "quxbot").Allowed("/example/page.html"));

  const TRobotsRules longest =
      Rules("User-Agent: *\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif\n");
  EXPECT_TRUE(longest.Allowed("/example/page/"));
  EXPECT_FALSE(longest.Allowed("/example/page/disallowed.gif"));
}

TEST(RobotsRulesTest, NoSpellingWalksAroundARule) {
  const TRobotsRules rules = Rules("User-agent: *\nDisallow: /private/\nDisallow: /a/./b/../c$\n");
  for (const char* path : {"/private/page", "/public/../private/page", "/public/%2e%2e/private/page",
                           "/public/%2E%2E/private/page", "/./private/page", "/%70rivate/page", "/x/y/../../private/"}) {
    EXPECT_FALSE(rules.Allowed(path)) << path;
  }
  EXPECT_TRUE(rules.Allowed("/public/page"));
  EXPECT_TRUE(rules.Allowed("/public/..private/page"));
  EXPECT_FALSE(rules.Allowed("/a/c"));  // the rule's own dot segments go too
  EXPECT_FALSE(rules.Allowed("/a/b/../c"));
  EXPECT_TRUE(rules.Allowed("/a/c/d"));
  EXPECT_TRUE(rules.Allowed("/public?next=/../private/"));  // a query keeps its dots
}

TEST(RobotsRulesTest, KeepsLongRules) {
  const std::string deep = "/" + std::string(5000, 'd') + "/";
  const TRobotsRules rules = Rules("User-agent: *\nDisallow: " + deep + "\nDisallow: /*" + std::string(3000, 'x') + "*y$\n");
  EXPECT_FALSE(rules.Allowed(deep + "page"));
  EXPECT_TRUE(rules.Allowed(deep.substr(0, 4000)));
  EXPECT_FALSE(rules.Allowed("/a" + std::string(3000, 'x') + "zzy"));
  EXPECT_TRUE(rules.Allowed("/a" + std::string(2999, 'x') + "zzy"));
  // A piece that almost matches everywhere: linear, not path times pattern.
  const std::string piece = std::string(20000, 'a') + "b";
  const TRobotsRules near = Rules("User-agent: *\nDisallow: /*" + piece + "\n");
  EXPECT_TRUE(near.Allowed("/" + std::string(40000, 'a')));
  EXPECT_FALSE(near.Allowed("/" + std::string(40000, 'a') + "b"));
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
