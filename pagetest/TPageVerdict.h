#pragma once
// What the modern page test finds on one page.
#include <cstddef>
#include <string>

namespace halvane::pagetest {

// What the comments' links say about the blog (the links in the comments,
// WordPress's own reply, login and edit links and addresses on the page's
// own host left out).
enum class TCommentLinks {
  NoneYet,   // no comment links: nothing is known yet
  Followed,  // at least one, none nofollow or sponsored
  Mixed,     // some followed, some nofollow or sponsored
  Nofollow,  // every one nofollow or sponsored: the page gets no row
};

// Why a page gets no row, for the run's count of reasons.
enum class TRejection { None, NotWordPress, Nofollow, CannotJudge };

struct TPageVerdict {
  // A WordPress sign: the generator meta, the api.w.org link, a comment
  // form, or /wp-content/ or /wp-includes/ on the page's own registrable
  // domain.
  bool IsWordPress = false;
  TCommentLinks CommentLinks = TCommentLinks::NoneYet;
  std::size_t FollowedCommentLinks = 0;
  std::size_t NofollowCommentLinks = 0;
  // A form posting to .../wp-comments-post.php holds a field named "comment".
  bool CommentsOpen = false;
  // The first link in a comment or in the post's text to the user's domain
  // or a subdomain of it, and its text ("-" when none or empty).
  bool HasYourLink = false;
  std::string Anchor = "-";
  // That link's own rel attribute as written (cut at 200 bytes), and whether
  // it says nofollow or sponsored: link monitoring reports a link that
  // turned nofollow.
  std::string YourLinkRel;
  bool YourLinkNofollow = false;
  // The href of the first <link rel="canonical">, as written (trimmed);
  // empty when the page has none.
  std::string Canonical;
  // The host taken for the page's own: the caller's, else the canonical
  // link's; empty when neither was known.
  std::string PageHost;
  // WordPress and not every comment link nofollow: the page is kept.
  bool Qualifies = false;
  TRejection Rejection = TRejection::None;
  // Why the page is not kept (empty when it is), in words for the user.
  std::string Reason;
  // The page was longer than the test reads; it was judged on its start.
  bool Truncated = false;
};

}  // namespace halvane::pagetest
