// The rules of the modern page test, one at a time, on small pages.
#include <gtest/gtest.h>

#include <string>

#include "pagetest/PageTest.h"

namespace halvane::pagetest {
namespace {

TPageVerdict Judge(const std::string& body, const std::string& domain = "myshop.example") {
  return TestModernPage("<!DOCTYPE html><html><head><title>t</title></head><body>" + body +
                            "</body></html>",
                        domain);
}

TEST(WordPressSignsTest, EachSignAloneIsEnough) {
  EXPECT_TRUE(Judge("<img src='https://b.example/wp-content/uploads/a.jpg'>").IsWordPress);
  EXPECT_TRUE(Judge("<script src='/wp-includes/js/x.js'></script>").IsWordPress);
  EXPECT_TRUE(Judge("<a href='https://b.example/wp-content/x.pdf'>pdf</a>").IsWordPress);
  EXPECT_TRUE(Judge("<link rel='stylesheet' href='/wp-includes/css/a.css'>").IsWordPress);
  EXPECT_TRUE(Judge("<meta name='generator' content='WordPress 6.4.2'>").IsWordPress);
  EXPECT_TRUE(Judge("<meta name='Generator' content='WordPress.com'>").IsWordPress);
  EXPECT_TRUE(Judge("<link rel='https://api.w.org/' href='https://b.example/wp-json/'>").IsWordPress);
  EXPECT_TRUE(Judge("<link href='/x' rel='alternate https://api.w.org/'>").IsWordPress);
}

TEST(WordPressSignsTest, LookAlikesAreNotSigns) {
  EXPECT_FALSE(Judge("<p>/wp-content/ in the text</p>").IsWordPress);
  EXPECT_FALSE(Judge("<img data-src='/wp-content/a.jpg' srcset='/wp-content/b.jpg 2x'>").IsWordPress);
  EXPECT_FALSE(Judge("<img src='/wp-contents/a.jpg'><a href='/wp-content'>x</a>").IsWordPress);
  EXPECT_FALSE(Judge("<meta name='generator' content='Hugo 0.119 (WordPress import)'>").IsWordPress);
  EXPECT_FALSE(Judge("<meta name='description' content='WordPress tips'>").IsWordPress);
  EXPECT_FALSE(Judge("<link rel='http://api.w.org/' href='/wp-json/'>").IsWordPress);
  EXPECT_FALSE(Judge("<a rel='https://api.w.org/' href='/wp-json/'>x</a>").IsWordPress);
  EXPECT_EQ(Judge("<p>x</p>").Reason, "no sign of WordPress");
}

TEST(RelTokensTest, NofollowAndSponsoredDisqualifyInAnySpelling) {
  for (const char* rel : {"nofollow", "NoFollow", "nofollow ugc", "ugc external nofollow",
                          "external\tnofollow\nugc", "  nofollow  ", "sponsored", "SPONSORED ugc"}) {
    SCOPED_TRACE(rel);
    const TPageVerdict verdict = Judge(std::string("<a href='/x' rel='") + rel + "'>x</a>");
    EXPECT_FALSE(verdict.FollowLinksOnly);
  }
}

TEST(RelTokensTest, OtherTokensAndOtherElementsDoNot) {
  for (const char* rel : {"ugc", "external ugc", "noopener noreferrer", "nofollowed",
                          "no-follow", "nofollow,ugc", ""}) {
    SCOPED_TRACE(rel);
    EXPECT_TRUE(Judge(std::string("<a href='/x' rel='") + rel + "'>x</a>").FollowLinksOnly);
  }
  EXPECT_TRUE(Judge("<link rel='nofollow' href='/a'><area rel='nofollow' href='/b'>").FollowLinksOnly);
  EXPECT_TRUE(Judge("<a href='/x' data-rel='nofollow' title='rel=nofollow'>x</a>").FollowLinksOnly);
}

TEST(RelTokensTest, OnlyWordPressPagesWithFollowLinksQualify) {
  const std::string wp = "<img src='/wp-content/a.png'>";
  EXPECT_TRUE(Judge(wp + "<a rel='ugc' href='/x'>x</a>").Qualifies);
  const TPageVerdict nofollow = Judge(wp + "<a rel='nofollow ugc' href='/x'>x</a><a rel=sponsored>y</a>");
  EXPECT_FALSE(nofollow.Qualifies);
  // The first offending link is the one named.
  EXPECT_EQ(nofollow.Reason, "a link to \"/x\" has rel=\"nofollow ugc\"");
  // Not WordPress comes first in the reasons.
  EXPECT_EQ(Judge("<a rel='nofollow' href='/x'>x</a>").Reason, "no sign of WordPress");
}

TEST(CommentFormTest, OpenNeedsTheEndpointAndAFieldNamedComment) {
  EXPECT_TRUE(Judge("<form action='https://b.example/wp-comments-post.php'><textarea name='comment'></textarea></form>").CommentsOpen);
  EXPECT_TRUE(Judge("<form action=' /blog/wp-comments-post.php '><div><p><input name=comment></p></div></form>").CommentsOpen);
  EXPECT_FALSE(Judge("<form action='/wp-comments-post.php?x=1'><textarea name='comment'></textarea></form>").CommentsOpen);
  EXPECT_FALSE(Judge("<form action='/wp-comments-post.php'><textarea name='comments'></textarea></form>").CommentsOpen);
  EXPECT_FALSE(Judge("<form action='/wp-comments-post.php'><textarea id='comment'></textarea></form>").CommentsOpen);
  EXPECT_FALSE(Judge("<form action='/contact'><textarea name='comment'></textarea></form>").CommentsOpen);
  EXPECT_FALSE(Judge("<form action='/wp-comments-post.php'></form><textarea name='comment'></textarea>").CommentsOpen);
  EXPECT_FALSE(Judge("<p>Comments are closed.</p>").CommentsOpen);
  EXPECT_EQ(CommentsCell(Judge("<p>Comments are closed.</p>")), "Closed");
}

TEST(YourLinkTest, TheFirstLinkContainingTheDomainGivesTheAnchor) {
  const TPageVerdict verdict = Judge(
      "<a href='https://other.example/'>other</a>"
      "<a href='HTTPS://WWW.MyShop.Example/a'>\n  My <b>Shop</b>\t&amp; <i>Co</i>  </a>"
      "<a href='https://myshop.example/b'>second</a>");
  EXPECT_TRUE(verdict.HasYourLink);
  EXPECT_EQ(verdict.Anchor, "My Shop & Co");
  EXPECT_EQ(YourLinkCell(verdict), "Yes");
}

TEST(YourLinkTest, DomainCaseIsIgnoredAndTextIsNotAnAddress) {
  EXPECT_TRUE(Judge("<a href='https://myshop.example/'>x</a>", "  MYSHOP.example ").HasYourLink);
  const TPageVerdict text = Judge("<p>visit myshop.example</p><a title='myshop.example' href='/x'>x</a>");
  EXPECT_FALSE(text.HasYourLink);
  EXPECT_EQ(text.Anchor, "-");
  // Containment: a look-alike host counts, as the address holds the domain.
  EXPECT_EQ(Judge("<a href='https://notmyshop.example/'>look-alike</a>").Anchor, "look-alike");
}

TEST(YourLinkTest, EmptyAnchorsAndMissingDomain) {
  const TPageVerdict empty = Judge("<a href='https://myshop.example/'> <img src='/logo.png'> </a>");
  EXPECT_TRUE(empty.HasYourLink);
  EXPECT_EQ(empty.Anchor, "-");
  // Nothing but the start of a character is nothing to show either.
  const TPageVerdict cut = Judge("<a href='https://myshop.example/'>\xE2</a>");
  EXPECT_TRUE(cut.HasYourLink);
  EXPECT_EQ(cut.Anchor, "-");
  const TPageVerdict noDomain = Judge("<a href='https://myshop.example/'>shop</a>", "");
  EXPECT_FALSE(noDomain.HasYourLink);
  EXPECT_EQ(noDomain.Anchor, "-");
  EXPECT_FALSE(Judge("<a href='https://myshop.example/'>shop</a>", " \t").HasYourLink);
}

TEST(YourLinkTest, AnOpenLinkEndsWhereTheNextBegins) {
  EXPECT_EQ(Judge("<a href='https://myshop.example/'><b><i>My shop <a href='/x'>next</a> after").Anchor,
            "My shop");
  // The page ends inside the link.
  EXPECT_EQ(TestModernPage("<a href='https://myshop.example/'>cut <b>off", "myshop.example").Anchor,
            "cut off");
}

TEST(EncodingTest, TheDeclaredCharsetElseUtf8) {
  const std::string latin1 = "<meta charset='iso-8859-1'><a href='https://myshop.example/'>caf\xE9</a>";
  EXPECT_EQ(TestModernPage(latin1, "myshop.example").Anchor, "caf\xC3\xA9");
  const std::string utf8 = "<a href='https://myshop.example/'>caf\xC3\xA9</a>";
  EXPECT_EQ(TestModernPage(utf8, "myshop.example").Anchor, "caf\xC3\xA9");
  const std::string unknown = "<meta charset='x-no-such-charset'><a href='https://myshop.example/'>caf\xC3\xA9</a>";
  EXPECT_EQ(TestModernPage(unknown, "myshop.example").Anchor, "caf\xC3\xA9");
  const std::string utf16 = "<meta charset='utf-16'><a href='https://myshop.example/'>caf\xC3\xA9</a>";
  EXPECT_EQ(TestModernPage(utf16, "myshop.example").Anchor, "caf\xC3\xA9");
  // A declaration further into the page than browsers look is not heeded.
  const std::string late = std::string(2000, ' ') + "<meta charset='iso-8859-1'>" + utf8;
  EXPECT_EQ(TestModernPage(late, "myshop.example").Anchor, "caf\xC3\xA9");
}

}  // namespace
}  // namespace halvane::pagetest
