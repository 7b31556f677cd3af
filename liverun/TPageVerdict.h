#pragma once
// What a page test says about one fetched page.
#include <functional>
#include <string>
#include <string_view>

namespace halvane::liverun {

struct TPageVerdict {
  bool Qualifies = false;  // WordPress with follow links only: the page gets a row
  bool CommentsOpen = false;
  bool HasYourLink = false;
  std::string Anchor;      // "" when there is no link or its text is empty
};

// (page body, user's domain) -> verdict. Called on the run's own thread.
using TPageJudge = std::function<TPageVerdict(std::string_view page, std::string_view domain)>;

}  // namespace halvane::liverun
