// The page test on pages shaped like those WordPress 5.x and 6.x themes
// write, and on broken ones (tests/data/pagetest).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "pagetest/PageTest.h"

namespace halvane::pagetest {
namespace {

const std::filesystem::path kFolder = std::filesystem::path(HALVANE_TEST_DATA) / "pagetest";

std::string ReadPage(const std::string& name) {
  std::ifstream in(kFolder / name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct TFolderCase {
  const char* File;
  bool IsWordPress;
  TCommentLinks CommentLinks;
  bool CommentsOpen;
  bool HasYourLink;
  const char* Anchor;
  // Set when the parser's recovery decides where the link ends: only the
  // start of the anchor is certain.
  bool AnchorIsPrefix = false;
  // The page's own host when it has no canonical link.
  const char* PageHost = "";
};

constexpr auto kNone = TCommentLinks::NoneYet;
constexpr auto kFollowed = TCommentLinks::Followed;
constexpr auto kNofollow = TCommentLinks::Nofollow;

const TFolderCase kCases[] = {
    // Comment author link rel='external nofollow ugc', text links rel="nofollow ugc".
    {"tt1-comment-links-nofollow-ugc.html", true, kNofollow, true, true, "my shop"},
    // Block theme, 6.2 and later.
    {"tt3-comment-links-ugc-external-nofollow.html", true, kNofollow, true, false, "-"},
    // Nofollow removed: 'ugc' and 'external ugc' are left; anchor spread
    // over lines; the permalink is the blog's own.
    {"dofollow-blog-open-comments.html", true, kFollowed, true, true, "My Shop: Fair Deals", false,
     "fairparts.example"},
    {"comments-closed.html", true, kNone, false, true, "MyShop Werkbank-Widgets"},
    {"generator-meta-only.html", true, kNone, false, false, "-"},
    // WordPress by its REST link alone; the link to the user is an image.
    {"api-link-only.html", true, kNone, true, true, "-"},
    {"not-wordpress.html", false, kNone, false, true, "MyShop"},
    // A sponsored link in the post says nothing of the comments.
    {"sponsored-link.html", true, kFollowed, true, false, "-", false, "clampcorner.example"},
    {"look-alike-forms.html", false, kNone, false, false, "-"},
    // Declared windows-1252; the anchor comes back as UTF-8.
    {"latin1-page.html", true, kNone, true, true, "Caf\xC3\xA9 \xE2\x82\xAC \xC2\xABMyShop\xC2\xBB"},
    {"unclosed-tags.html", true, kFollowed, true, true, "My shop page", true},
    {"invalid-utf8.html", true, kNone, false, true, "Caf\xC3\xA9 \xEF\xBF\xBD Shop"},
    // A NUL neither ends the page nor splits the rel tokens "ugc" and "nofollow".
    {"nul-byte.html", true, kNofollow, false, true, "MyShop"},
};

TEST(PageFolderTest, EveryPageGivesItsVerdict) {
  for (const TFolderCase& c : kCases) {
    SCOPED_TRACE(c.File);
    TPageContext context;
    context.UserDomain = "myshop.example";
    context.PageHost = c.PageHost;
    const TPageVerdict verdict = TestPage(ReadPage(c.File), context);
    EXPECT_EQ(verdict.IsWordPress, c.IsWordPress);
    EXPECT_EQ(verdict.CommentLinks, c.CommentLinks);
    EXPECT_EQ(verdict.CommentsOpen, c.CommentsOpen);
    EXPECT_EQ(verdict.HasYourLink, c.HasYourLink);
    if (c.AnchorIsPrefix) {
      EXPECT_EQ(verdict.Anchor.rfind(c.Anchor, 0), 0u) << verdict.Anchor;
    } else {
      EXPECT_EQ(verdict.Anchor, c.Anchor);
    }
    EXPECT_EQ(verdict.Qualifies, c.IsWordPress && c.CommentLinks != kNofollow);
    EXPECT_EQ(verdict.Reason.empty(), verdict.Qualifies) << verdict.Reason;
    EXPECT_FALSE(verdict.Truncated);
  }
}

TEST(PageFolderTest, EveryPageOfTheFolderIsListed) {
  std::set<std::string> listed;
  for (const TFolderCase& c : kCases) listed.insert(c.File);
  for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
    if (entry.is_directory()) continue;  // the saved WordPress sites have their own manifest
    EXPECT_TRUE(listed.count(entry.path().filename().string()))
        << entry.path().filename() << " has no expected verdict";
  }
  EXPECT_EQ(listed.size(), std::size(kCases));
}

TEST(PageFolderTest, ReasonsNameWhatDisqualifies) {
  EXPECT_EQ(TestModernPage(ReadPage("tt1-comment-links-nofollow-ugc.html"), "").Reason,
            "every comment link is nofollow or sponsored: a link to \"https://bob-builds.example\" has "
            "rel=\"external nofollow ugc\"");
  EXPECT_EQ(TestModernPage(ReadPage("not-wordpress.html"), "").Reason, "no sign of WordPress");
}

TEST(PageFolderTest, WithoutADomainNoPageHasYourLink) {
  const TPageVerdict verdict = TestModernPage(ReadPage("dofollow-blog-open-comments.html"), "");
  EXPECT_FALSE(verdict.HasYourLink);
  EXPECT_EQ(verdict.Anchor, "-");
  EXPECT_EQ(YourLinkCell(verdict), "No");
  EXPECT_EQ(CommentsCell(verdict), "Open");
  EXPECT_TRUE(verdict.Qualifies);
}

}  // namespace
}  // namespace halvane::pagetest
