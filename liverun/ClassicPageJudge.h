#pragma once
// The classic edition's page test for [pages] test = classic.
#include <string_view>

#include "liverun/TPageVerdict.h"

namespace halvane::liverun {

// Qualifies and finds the user's link exactly as the classic run does (the
// page lower-cased, so the anchor is too). Comments are "open" when the page
// posts to wp-comments-post.php, which the classic test never looked at.
TPageVerdict ClassicPageJudge(std::string_view page, std::string_view domain);

}  // namespace halvane::liverun
