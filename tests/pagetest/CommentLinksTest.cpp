// The verdict from the comment section: which links are the commenters',
// and what their rel says.
#include <gtest/gtest.h>

#include <string>

#include "pagetest/PageTest.h"

namespace halvane::pagetest {
namespace {

const std::string kHead =
    "<!DOCTYPE html><html><head><meta name='generator' content='WordPress 6.1.9'>"
    "<link rel='canonical' href='https://blog.example/2023/01/hello/'></head><body>";

TPageVerdict Judge(const std::string& body, const std::string& host = "blog.example") {
  TPageContext context;
  context.UserDomain = "myshop.example";
  context.PageHost = host;
  return TestPage(kHead + body + "</body></html>", context);
}

std::string Author(const std::string& href, const std::string& rel) {
  return "<b class='fn'><a href='" + href + "' rel='" + rel + "' class='url'>Author</a></b>";
}

// A classic theme's comment with threaded comments on: author link, the
// permalink with the date, the comment text, the reply link.
std::string Comment(int n, const std::string& author, const std::string& text = "",
                    const std::string& replies = "") {
  const std::string id = std::to_string(n);
  return "<li id='comment-" + id + "' class='comment depth-1'><article id='div-comment-" + id +
         "' class='comment-body'><footer class='comment-meta'>" + author +
         "<div class='comment-metadata'><a href='https://blog.example/2023/01/hello/#comment-" + id +
         "'><time>January 1, 2023</time></a></div></footer><div class='comment-content'><p>Nice." + text +
         "</p></div><div class='reply'><a rel='nofollow' class='comment-reply-link' "
         "href='https://blog.example/2023/01/hello/?replytocom=" + id + "#respond'>Reply</a></div></article>" +
         (replies.empty() ? "" : "<ol class='children'>" + replies + "</ol>") + "</li>";
}

std::string Thread(const std::string& comments) { return "<ol class='comment-list'>" + comments + "</ol>"; }

TEST(CommentLinksTest, TheFourVerdicts) {
  const std::string followed = Author("https://bob.example/", "external ugc");
  const std::string nofollow = Author("https://eve.example/", "external nofollow ugc");
  const TPageVerdict allFollowed = Judge(Thread(Comment(2, followed) + Comment(3, followed)));
  EXPECT_EQ(allFollowed.CommentLinks, TCommentLinks::Followed);
  EXPECT_EQ(allFollowed.FollowedCommentLinks, 2u);
  EXPECT_EQ(CommentLinksCell(allFollowed), "Followed");
  EXPECT_TRUE(allFollowed.Qualifies);

  const TPageVerdict mixed = Judge(Thread(Comment(2, followed) + Comment(3, nofollow)));
  EXPECT_EQ(mixed.CommentLinks, TCommentLinks::Mixed);
  EXPECT_EQ(CommentLinksCell(mixed), "Mixed");
  EXPECT_TRUE(mixed.Qualifies);

  const TPageVerdict none = Judge(Thread(Comment(2, "<b class='fn'>Anonymous</b>")));
  EXPECT_EQ(none.CommentLinks, TCommentLinks::NoneYet);
  EXPECT_EQ(CommentLinksCell(none), "None yet");
  EXPECT_TRUE(none.Qualifies);
  EXPECT_EQ(Judge("<p>No comments yet.</p>").CommentLinks, TCommentLinks::NoneYet);

  const TPageVerdict rejected = Judge(Thread(Comment(2, nofollow, " See <a href='https://x.example/' rel='nofollow ugc'>x</a>.")));
  EXPECT_EQ(rejected.CommentLinks, TCommentLinks::Nofollow);
  EXPECT_EQ(rejected.NofollowCommentLinks, 2u);
  EXPECT_FALSE(rejected.Qualifies);
  EXPECT_EQ(rejected.Rejection, TRejection::Nofollow);
  EXPECT_EQ(rejected.Reason,
            "every comment link is nofollow or sponsored: a link to \"https://eve.example/\" has "
            "rel=\"external nofollow ugc\"");
}

TEST(CommentLinksTest, WordPressOwnLinksInACommentAreNotCommentLinks) {
  // Reply links are rel="nofollow" with threaded comments on; the permalink
  // is on the page's own host.
  const std::string text = " <a class='comment-edit-link' rel='nofollow' href='https://admin.example/e'>Edit</a>"
                           "<a rel='nofollow' class='comment-reply-login' href='https://login.example/'>Log in</a>"
                           "<a rel='nofollow' id='cancel-comment-reply-link' href='https://c.example/'>Cancel</a>"
                           "<a rel='nofollow' href='/2023/01/hello/#comment-9'>#</a>"
                           "<a rel='nofollow' href='#comment-9'>#</a>"
                           "<a rel='nofollow' href='https://BLOG.example:443/?p=4'>#</a>"
                           "<a rel='nofollow' href='mailto:a@b.example'>mail</a>";
  const TPageVerdict verdict = Judge(Thread(Comment(2, Author("https://bob.example/", "external ugc"), text)));
  EXPECT_EQ(verdict.CommentLinks, TCommentLinks::Followed);
  EXPECT_EQ(verdict.FollowedCommentLinks, 1u);
  EXPECT_EQ(verdict.NofollowCommentLinks, 0u);
  // Without the page's host, the canonical link names it.
  EXPECT_EQ(Judge(Thread(Comment(2, Author("https://bob.example/", "external ugc"), text)), "").CommentLinks,
            TCommentLinks::Followed);
}

TEST(CommentLinksTest, LinksOutsideTheCommentsSayNothing) {
  // Twenty Twenty-Three's footer credit, a nofollow widget, a sponsored
  // link in the post: none of them is a comment link.
  const std::string around =
      "<div class='entry-content'><a rel='sponsored' href='https://partner.example/'>partner</a></div>"
      "<aside><a rel='nofollow' href='https://widget.example/'>w</a></aside>";
  const std::string footer = "<footer><p>Proudly powered by <a href='https://wordpress.org' rel='nofollow'>WordPress</a></p></footer>";
  EXPECT_EQ(Judge(around + Thread(Comment(2, Author("https://bob.example/", "ugc"))) + footer).CommentLinks,
            TCommentLinks::Followed);
  EXPECT_EQ(Judge(around + footer).CommentLinks, TCommentLinks::NoneYet);
  EXPECT_TRUE(Judge(around + footer).Qualifies);
  // Only id="comment-N" marks a comment.
  for (const char* id : {"comments", "div-comment-2", "comment-", "comment-2a", "respond"}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Judge(std::string("<div id='") + id + "'><a rel='nofollow' href='https://x.example/'>x</a></div>")
                  .CommentLinks,
              TCommentLinks::NoneYet);
  }
}

TEST(CommentLinksTest, RepliesNestInsideTheirThread) {
  const std::string reply = Comment(3, Author("https://eve.example/", "nofollow"));
  const TPageVerdict verdict = Judge(Thread(Comment(2, Author("https://bob.example/", "ugc"), "", reply)) +
                                     "<a rel='nofollow' href='https://after.example/'>after the list</a>");
  EXPECT_EQ(verdict.FollowedCommentLinks, 1u);
  EXPECT_EQ(verdict.NofollowCommentLinks, 1u);
  EXPECT_EQ(verdict.CommentLinks, TCommentLinks::Mixed);
}

TEST(CommentLinksTest, BlockThemeComments) {
  // Twenty Twenty-Three: the comment template block, no article.
  const std::string comment =
      "<ol class='wp-block-comment-template'><li id='comment-2' class='comment even thread-even depth-1'>"
      "<div class='wp-block-comment-author-name'><a rel='external nofollow ugc' href='https://bob.example' "
      "target='_self'>Bob</a></div><div class='wp-block-comment-date'><time><a "
      "href='https://blog.example/2023/01/hello/#comment-2'>January 1, 2023</a></time></div>"
      "<div class='wp-block-comment-content'><p>Hi <a href='https://myshop.example/x' rel='nofollow ugc'>my "
      "shop</a></p></div><div class='wp-block-comment-reply-link'><a rel='nofollow' class='comment-reply-link' "
      "href='#comment-2'>Reply</a></div></li></ol>";
  const TPageVerdict verdict = Judge(comment);
  EXPECT_EQ(verdict.CommentLinks, TCommentLinks::Nofollow);
  EXPECT_EQ(verdict.NofollowCommentLinks, 2u);
  EXPECT_TRUE(verdict.HasYourLink);
  EXPECT_EQ(verdict.Anchor, "my shop");
}

TEST(CommentLinksTest, TheUsersLinkKeepsItsOwnRel) {
  // Link monitoring tells a followed link from one the blog turned nofollow.
  const auto comment = [](const std::string& rel) {
    return "<ol class='comment-list'><li id='comment-7' class='comment'><div class='comment-content'><p>"
           "<a href='https://myshop.example/' " + rel + ">shop</a> <a href='https://other.example/'>x</a>"
           "</p></div></li></ol>";
  };
  const TPageVerdict followed = Judge(comment("rel='ugc'"));
  EXPECT_TRUE(followed.HasYourLink);
  EXPECT_EQ(followed.YourLinkRel, "ugc");
  EXPECT_FALSE(followed.YourLinkNofollow);
  const TPageVerdict nofollow = Judge(comment("rel='external UGC Sponsored'"));
  EXPECT_EQ(nofollow.YourLinkRel, "external UGC Sponsored");
  EXPECT_TRUE(nofollow.YourLinkNofollow);
  EXPECT_FALSE(Judge(comment("")).YourLinkNofollow);
}

}  // namespace
}  // namespace halvane::pagetest
