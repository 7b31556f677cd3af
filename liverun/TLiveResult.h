#pragma once
// One qualifying page as a live run reports it. Figures are numbers and an
// unknown figure is an empty optional; text is made only at the edges, by
// the column table (LiveColumns.h) that the window, the CSV and the JSON
// all read.
#include <cstdint>
#include <optional>
#include <string>

#include "pagetest/TPageVerdict.h"

namespace halvane::liverun {

struct TLiveResult {
  std::string Url;  // the page's final address, or its canonical one on the same site
  bool CommentsOpen = false;
  pagetest::TCommentLinks CommentLinks = pagetest::TCommentLinks::NoneYet;
  bool HasYourLink = false;
  std::optional<std::string> Anchor;  // the text of the user's link; none without a link or a text
  std::string YourLinkRel;            // that link's own rel attribute
  // The authority source has not answered for this page yet: the window
  // shows an empty cell until it has.
  bool AuthorityAwaited = true;
  std::optional<int> Authority;  // 0..10 of the page's domain
  std::optional<std::uint32_t> TrafficRank;
  std::string Keyword;    // the keyword whose search found the page
  std::string Footprint;  // the footprint it ran with ("" for the plain query)
  // Judged for the first time (none without a memory of earlier runs).
  std::optional<bool> IsNew;

  bool operator==(const TLiveResult&) const = default;
};

}  // namespace halvane::liverun
