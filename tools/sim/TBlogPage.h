#pragma once
#include <string>
#include <vector>

#include "TPageLink.h"

namespace halvane::sim {

// How the page's comment link is marked; the first three forms disqualify
// a page, the look-alike ("nofollow' class=...>") does not.
enum class TNofollowForm { None, SingleQuote, DoubleQuote, Bare, LookAlike };

// How the page links to the configured user domain, if at all.
enum class TUserLinkForm { None, SingleQuoted, DoubleQuoted, LookAlikeHost, EmptyAnchor };

// How a post in modern markup shows that it is WordPress: the theme's files
// under /wp-content/ with the generator meta and the REST link, or (assets
// moved to a CDN) only the generator meta, or only the REST link.
enum class TWordPressSign { Full, GeneratorOnly, ApiLinkOnly };

// How a blog treats its commenters' links. WordPress writes rel='external
// nofollow ugc' on author links and rel="nofollow ugc" on links in the
// comment text; "dofollow" plugins take nofollow out of all of them ("ugc"
// and "external ugc" remain), others only out of the author links.
enum class TCommentFollow { Nofollow, Followed, AuthorsOnly };

// One post of a simulated blog.
struct TBlogPage {
  int site = 0;
  int index = 0;
  std::string path;  // "/blog/2007/04/garden-17/"
  std::string title;
  bool wordPress = false;
  bool capitalMarker = false;  // writes "WP-CONTENT" in capitals
  TNofollowForm nofollow = TNofollowForm::None;
  TUserLinkForm userLink = TUserLinkForm::None;
  int rank = 0;
  // Every link of the page with a quoted target, in page order.
  std::vector<TPageLink> links;

  // The same post in modern markup (TModernBlog), drawn apart from the
  // classic page so that it stays as it was.
  TWordPressSign sign = TWordPressSign::Full;
  TCommentFollow commentFollow = TCommentFollow::Followed;
  bool commentsOpen = false;
  // Comments on the post: 0 (none yet), 1 (the commenter's, with an author
  // link) or 2 (and a reader's with a link in the text).
  int comments = 0;
  // Threaded comments: reply links with rel="nofollow" under each comment.
  bool threaded = false;
  // A sponsored link in the post's text (it says nothing of the comments).
  bool sponsored = false;

  // A WordPress page without a nofollow marker: the program lists it.
  bool Qualifies() const {
    return wordPress && (nofollow == TNofollowForm::None || nofollow == TNofollowForm::LookAlike);
  }
};

}  // namespace halvane::sim
