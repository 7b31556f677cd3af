#pragma once
// Which of a live run's rows the list shows: every criterion left at "any"
// lets every row through. Plain values, so the window's filter bar, a
// benchmark and the tests share one definition of what each choice means.
#include <optional>

#include "liverun/TLiveResult.h"

namespace halvane::liverun {

struct TLiveFilter {
  enum class TYesNo { Any, Yes, No };

  TYesNo CommentsOpen = TYesNo::Any;
  // Followed, Mixed or NoneYet; none: any.
  std::optional<pagetest::TCommentLinks> CommentLinks;
  TYesNo HasYourLink = TYesNo::Any;
  // The page's authority is known and at least this; an awaited or unknown
  // authority does not pass.
  std::optional<int> MinAuthority;
  // Only pages judged for the first time (a run without a memory marks
  // none as new, so none passes).
  bool NewOnly = false;

  bool Accepts(const TLiveResult& result) const;
  // Any criterion set.
  bool Active() const;

  bool operator==(const TLiveFilter&) const = default;
};

}  // namespace halvane::liverun
