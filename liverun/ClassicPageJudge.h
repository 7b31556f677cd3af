#pragma once
// The classic edition's page test for [pages] test = classic.
#include <string_view>

#include "liverun/TPageJudge.h"

namespace halvane::liverun {

// Qualifies and finds the user's link exactly as the classic run does (the
// page lower-cased, so the anchor is too). Comments are "open" when the page
// posts to wp-comments-post.php, which the classic test never looked at; it
// reads no comment section, so comment links stay "None yet".
pagetest::TPageVerdict ClassicPageJudge(const TPageInput& page);

}  // namespace halvane::liverun
