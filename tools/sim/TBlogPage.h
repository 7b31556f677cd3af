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

  // A WordPress page without a nofollow marker: the program lists it.
  bool Qualifies() const {
    return wordPress && (nofollow == TNofollowForm::None || nofollow == TNofollowForm::LookAlike);
  }
};

}  // namespace halvane::sim
