#include "liverun/ClassicPageJudge.h"

#include <string>

#include "search/ItemAnalysis.h"

namespace halvane::liverun {

TPageVerdict ClassicPageJudge(std::string_view page, std::string_view domain) {
  TPageVerdict verdict;
  const std::string prepared = TrimAndLowerPage(page);
  verdict.Qualifies = IsQualifyingPage(prepared);
  if (!verdict.Qualifies) return verdict;
  verdict.CommentsOpen = prepared.find("/wp-comments-post.php") != std::string::npos;
  const TLinkScanResult scan = ScanForUserLink(prepared, domain);
  verdict.HasYourLink = scan.hasLink;
  verdict.Anchor = scan.anchor;
  return verdict;
}

}  // namespace halvane::liverun
