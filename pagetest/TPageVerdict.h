#pragma once
// What the modern page test finds on one page.
#include <string>

namespace halvane::pagetest {

struct TPageVerdict {
  // A WordPress sign: /wp-content/ or /wp-includes/ in a src or href, a
  // generator meta starting with "WordPress", or the api.w.org link.
  bool IsWordPress = false;
  // No <a> carries a rel token "nofollow" or "sponsored".
  bool FollowLinksOnly = true;
  // A form posting to .../wp-comments-post.php holds a field named "comment".
  bool CommentsOpen = false;
  // The first <a> whose href contains the user's domain, and its text.
  bool HasYourLink = false;
  std::string Anchor = "-";
  // WordPress and follow links only: the page is kept.
  bool Qualifies = false;
  // Why the page is not kept (empty when it is), in words for the user.
  std::string Reason;
  // The page was longer than the test reads; it was judged on its start.
  bool Truncated = false;
};

}  // namespace halvane::pagetest
