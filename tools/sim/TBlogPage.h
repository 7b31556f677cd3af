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

// The rel of a modern post's comment links. WordPress 5.3 and later write
// rel="nofollow ugc" on links in comment text and rel='external nofollow ugc'
// on author links; 6.2 and later "ugc external nofollow". Some blogs took
// nofollow out ("ugc" and "external ugc" remain), one of them with a
// sponsored link in the post.
enum class TCommentRel { NofollowUgc, ExternalNofollowUgc, UgcExternalNofollow, Removed, RemovedWithSponsor };

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
  TCommentRel commentRel = TCommentRel::Removed;
  bool commentsOpen = false;

  // A WordPress page without a nofollow marker: the program lists it.
  bool Qualifies() const {
    return wordPress && (nofollow == TNofollowForm::None || nofollow == TNofollowForm::LookAlike);
  }
  // The modern page test keeps the modern post: WordPress, no nofollow or
  // sponsored link.
  bool QualifiesModern() const { return wordPress && commentRel == TCommentRel::Removed; }
};

}  // namespace halvane::sim
