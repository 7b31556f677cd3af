// The rules of the modern page test, one at a time, on small pages.
#include <gtest/gtest.h>

#include <string>

#include "pagetest/PageTest.h"

namespace halvane::pagetest {
namespace {

const std::string kHead = "<!DOCTYPE html><html><head><title>t</title></head><body>";

TPageVerdict Judge(const std::string& body, const std::string& domain = "myshop.example",
                   const std::string& host = "blog.example", const std::string& site = "") {
  TPageContext context;
  context.UserDomain = domain;
  context.PageHost = host;
  context.PageSite = site;
  return TestPage(kHead + body + "</body></html>", context);
}

// A comment as classic themes write it, around the given markup.
std::string Comment(int n, const std::string& inner) {
  const std::string id = std::to_string(n);
  return "<ol class='comment-list'><li id='comment-" + id + "' class='comment'><article id='div-comment-" + id +
         "' class='comment-body'>" + inner + "</article></li></ol>";
}

const std::string kWordPress = "<meta name='generator' content='WordPress 6.1.9'>";

TEST(WordPressSignsTest, EachSignAloneIsEnough) {
  EXPECT_TRUE(Judge("<img src='https://blog.example/wp-content/uploads/a.jpg'>").IsWordPress);
  EXPECT_TRUE(Judge("<script src='/wp-includes/js/x.js'></script>").IsWordPress);
  EXPECT_TRUE(Judge("<a href='https://blog.example/wp-content/x.pdf'>pdf</a>").IsWordPress);
  EXPECT_TRUE(Judge("<link rel='stylesheet' href='blog/wp-includes/css/a.css'>").IsWordPress);
  EXPECT_TRUE(Judge("<meta name='generator' content='WordPress 6.4.2'>").IsWordPress);
  EXPECT_TRUE(Judge("<meta name='Generator' content='WordPress.com'>").IsWordPress);
  EXPECT_TRUE(Judge("<link rel='https://api.w.org/' href='https://b.example/wp-json/'>").IsWordPress);
  EXPECT_TRUE(Judge("<link href='/x' rel='alternate https://api.w.org/'>").IsWordPress);
  EXPECT_TRUE(Judge("<form action='/wp-comments-post.php'><textarea name='comment'></textarea></form>").IsWordPress);
}

TEST(WordPressSignsTest, FilesCountOnlyOnThePagesRegistrableDomain) {
  // A static page that shows an image hot-linked from a WordPress blog.
  const std::string hotLinked = "<img src='https://other-blog.example/wp-content/uploads/a.jpg'>";
  EXPECT_FALSE(Judge(hotLinked).IsWordPress);
  EXPECT_EQ(Judge(hotLinked).Rejection, TRejection::NotWordPress);
  // A subdomain of the page's registrable domain is the same site.
  const std::string cdn = "<img src='https://cdn.blog.example.co.uk/wp-content/uploads/a.jpg'>";
  EXPECT_TRUE(Judge(cdn, "", "www.blog.example.co.uk", "blog.example.co.uk").IsWordPress);
  EXPECT_FALSE(Judge(cdn, "", "www.blog.example.co.uk").IsWordPress);  // the site defaults to the host
  EXPECT_FALSE(Judge(cdn, "", "www.other.example.co.uk", "other.example.co.uk").IsWordPress);
  EXPECT_TRUE(Judge("<img src='//BLOG.example:8080/wp-content/a.png'>").IsWordPress);
}

TEST(WordPressSignsTest, WithoutAHostTheCanonicalLinkGivesIt) {
  const std::string files = "<link rel='stylesheet' href='https://blog.example/wp-content/themes/t/style.css'>";
  // The stylesheet comes before the canonical link, as WordPress writes them.
  const std::string canonical = "<link rel='canonical' href=' https://blog.example/2023/01/post/ '>";
  const TPageVerdict verdict = Judge(files + canonical, "", "");
  EXPECT_TRUE(verdict.IsWordPress);
  EXPECT_EQ(verdict.Canonical, "https://blog.example/2023/01/post/");
  EXPECT_EQ(verdict.PageHost, "blog.example");
  EXPECT_FALSE(Judge(files, "", "").IsWordPress);
  EXPECT_FALSE(Judge(files + "<link rel='canonical' href='https://elsewhere.example/'>", "", "").IsWordPress);
  // The caller's host wins over the canonical link's.
  EXPECT_EQ(Judge(canonical, "", "Blog.Example").PageHost, "blog.example");
  EXPECT_EQ(Judge(canonical, "", "mirror.example").PageHost, "mirror.example");
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

TEST(RelTokensTest, NofollowAndSponsoredInAnySpelling) {
  for (const char* rel : {"nofollow", "NoFollow", "nofollow ugc", "ugc external nofollow",
                          "external\tnofollow\nugc", "  nofollow  ", "sponsored", "SPONSORED ugc"}) {
    SCOPED_TRACE(rel);
    const TPageVerdict verdict =
        Judge(kWordPress + Comment(2, std::string("<a href='https://bob.example/' rel='") + rel + "'>x</a>"));
    EXPECT_EQ(verdict.CommentLinks, TCommentLinks::Nofollow);
    EXPECT_EQ(verdict.Rejection, TRejection::Nofollow);
  }
}

TEST(RelTokensTest, OtherTokensFollow) {
  for (const char* rel : {"ugc", "external ugc", "noopener noreferrer", "nofollowed", "no-follow",
                          "nofollow,ugc", ""}) {
    SCOPED_TRACE(rel);
    const TPageVerdict verdict =
        Judge(kWordPress + Comment(2, std::string("<a href='https://bob.example/' rel='") + rel + "'>x</a>"));
    EXPECT_EQ(verdict.CommentLinks, TCommentLinks::Followed);
  }
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

TEST(YourLinkTest, TheFirstLinkToTheDomainInACommentOrThePostGivesTheAnchor) {
  const TPageVerdict verdict = Judge(
      kWordPress + "<div class='entry-content'><a href='https://other.example/'>other</a></div>" +
      Comment(2, "<a href='HTTPS://WWW.MyShop.Example/a'>\n  My <b>Shop</b>\t&amp; <i>Co</i>  </a>"
                 "<a href='https://myshop.example/b'>second</a>"));
  EXPECT_TRUE(verdict.HasYourLink);
  EXPECT_EQ(verdict.Anchor, "My Shop & Co");
  EXPECT_EQ(YourLinkCell(verdict), "Yes");
  const TPageVerdict post =
      Judge("<div class='post wp-block-post-content'><p><a href='http://shop.myshop.example'>in the post</a></p></div>");
  EXPECT_EQ(post.Anchor, "in the post");
}

TEST(YourLinkTest, LinksOutsideTheCommentsAndThePostDoNotCount) {
  // A Recent Comments widget, the header and the footer repeat links on
  // every page of a blog.
  const TPageVerdict widget = Judge(
      kWordPress + "<aside class='widget widget_recent_comments'><ul id='recentcomments'><li class='recentcomments'>"
                   "<a href='https://myshop.example/' class='url'>Shop</a></li></ul></aside>"
                   "<footer><a href='https://myshop.example/'>Shop</a></footer>" +
      Comment(2, "<a href='https://bob.example/'>Bob</a>"));
  EXPECT_FALSE(widget.HasYourLink);
  EXPECT_EQ(widget.Anchor, "-");
  // Once the comment ends, its scope ends.
  EXPECT_FALSE(Judge(Comment(2, "x") + "<a href='https://myshop.example/'>after</a>").HasYourLink);
}

TEST(YourLinkTest, HostsMatchTheDomainOrItsSubdomainsOnly) {
  const auto linksTo = [](const std::string& href, const std::string& domain = "myshop.example") {
    return Judge(Comment(2, "<a href='" + href + "'>x</a>"), domain).HasYourLink;
  };
  EXPECT_TRUE(linksTo("https://myshop.example"));
  EXPECT_TRUE(linksTo("http://shop.MYSHOP.example:8080/a?b#c"));
  EXPECT_TRUE(linksTo("//www.myshop.example/"));
  EXPECT_TRUE(linksTo("https://user@myshop.example./"));
  EXPECT_FALSE(linksTo("https://notmyshop.example/"));
  EXPECT_FALSE(linksTo("https://myshop.example.evil.test/"));
  EXPECT_FALSE(linksTo("https://evil.test/?u=myshop.example"));
  EXPECT_FALSE(linksTo("mailto:me@myshop.example"));
  EXPECT_FALSE(linksTo("/myshop.example/"));
  // The domain as the user gives it: an address, any case, with www.
  EXPECT_TRUE(linksTo("https://shop.myshop.example/", " https://www.MyShop.example/page "));
  EXPECT_TRUE(linksTo("https://xn--mnchen-3ya.example/", "M\xC3\x9CNCHEN.example"));
  EXPECT_FALSE(linksTo("https://myshop.example/", ""));
  EXPECT_FALSE(linksTo("https://myshop.example/", " \t"));
}

TEST(YourLinkTest, EmptyAnchorsAndOpenLinks) {
  const TPageVerdict empty = Judge(Comment(2, "<a href='https://myshop.example/'> <img src='/logo.png'> </a>"));
  EXPECT_TRUE(empty.HasYourLink);
  EXPECT_EQ(empty.Anchor, "-");
  // Nothing but the start of a character is nothing to show either.
  EXPECT_EQ(Judge(Comment(2, "<a href='https://myshop.example/'>\xE2</a>")).Anchor, "-");
  EXPECT_EQ(Judge(Comment(2, "<a href='https://myshop.example/'><b><i>My shop <a href='/x'>next</a> after")).Anchor,
            "My shop");
  // The page ends inside the link.
  EXPECT_EQ(TestModernPage("<li id='comment-1'><a href='https://myshop.example/'>cut <b>off", "myshop.example").Anchor,
            "cut off");
}

}  // namespace
}  // namespace halvane::pagetest
