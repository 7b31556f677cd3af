#include "liverun/ClassicPageJudge.h"

#include <string>

#include "search/ItemAnalysis.h"

namespace halvane::liverun {

pagetest::TPageVerdict ClassicPageJudge(const TPageInput& page) {
  pagetest::TPageVerdict verdict;
  const std::string prepared = TrimAndLowerPage(page.Body);
  verdict.IsWordPress = prepared.find("wp-content") != std::string::npos;
  verdict.Qualifies = IsQualifyingPage(prepared);
  if (!verdict.Qualifies) {
    verdict.Rejection = verdict.IsWordPress ? pagetest::TRejection::Nofollow : pagetest::TRejection::NotWordPress;
    return verdict;
  }
  verdict.CommentsOpen = prepared.find("/wp-comments-post.php") != std::string::npos;
  const TLinkScanResult scan = ScanForUserLink(prepared, page.UserDomain);
  verdict.HasYourLink = scan.hasLink;
  verdict.Anchor = scan.hasLink && !scan.anchor.empty() ? scan.anchor : "-";
  return verdict;
}

}  // namespace halvane::liverun
