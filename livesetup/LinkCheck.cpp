#include "livesetup/LinkCheck.h"

#include "live/RegistrableDomain.h"
#include "pagetest/PageTest.h"
#include "store/StoreClock.h"

namespace halvane::livesetup {

store::TLinkCheck CheckLinkOnPage(const live::TLiveResponse& response, const std::string& address,
                                  const std::string& domain) {
  store::TLinkCheck check;
  if (response.Succeeded()) {
    const std::string finalUrl = response.FinalUrl.empty() ? address : response.FinalUrl;
    const std::string host = live::HostOfUrl(finalUrl);
    const std::string site = live::RegistrableDomain(host);
    const std::string contentType = response.Header("content-type");
    const pagetest::TPageVerdict verdict = pagetest::TestPage(response.Body, {domain, host, site, contentType});
    if (!verdict.HasYourLink) {
      check.State = store::TLinkState::Missing;
    } else {
      check.State = verdict.YourLinkNofollow ? store::TLinkState::PresentNofollow : store::TLinkState::PresentFollowed;
    }
    return check;
  }
  if (response.Answered() && (response.Status == 404 || response.Status == 410)) {
    check.State = store::TLinkState::Gone;
    check.HttpStatus = response.Status;
    return check;
  }
  check.State = store::TLinkState::Failed;
  if (response.Answered()) {
    check.HttpStatus = response.Status;
    check.Reason = "HTTP " + std::to_string(response.Status);
  } else if (response.Error == live::TLiveError::RobotsDisallowed) {
    check.Reason = "robots.txt refuses it";
  } else {
    check.Reason = response.Message.empty() ? std::string("no answer") : response.Message;
  }
  return check;
}

std::string LinkStateText(const store::TLinkCheck& check) {
  switch (check.State) {
    case store::TLinkState::PresentFollowed: return "present, followed";
    case store::TLinkState::PresentNofollow: return "present, nofollow";
    case store::TLinkState::Missing: return "missing";
    case store::TLinkState::Gone: return "page gone (HTTP " + std::to_string(check.HttpStatus) + ")";
    case store::TLinkState::Failed: break;
  }
  return "failed: " + check.Reason;
}

std::string LinkChangeText(const TRecheckLine& line) {
  if (!line.Previous) return "first check";
  if (line.Previous->State == line.Check.State && line.Previous->HttpStatus == line.Check.HttpStatus) return {};
  return "was " + LinkStateText(*line.Previous) + " (" + store::TimeText(line.Previous->CheckedAt) + ")";
}

std::string RecheckCountsText(const TLinkRecheckSummary& summary) {
  return std::to_string(summary.Pages) + (summary.Pages == 1 ? " page" : " pages") + " checked: " +
         std::to_string(summary.Count(store::TLinkState::PresentFollowed)) + " followed, " +
         std::to_string(summary.Count(store::TLinkState::PresentNofollow)) + " nofollow, " +
         std::to_string(summary.Count(store::TLinkState::Missing)) + " missing, " +
         std::to_string(summary.Count(store::TLinkState::Gone)) + " gone, " +
         std::to_string(summary.Count(store::TLinkState::Failed)) + " failed";
}

std::string NoLinksText(const std::string& storeLocation) {
  return "no links recorded in " + storeLocation +
         "; add the pages of your comments with \"halvane-harvest links add URL...\"";
}

}  // namespace halvane::livesetup
