#include "livesetup/TStoreMemory.h"

#include <cstdint>
#include <ctime>

#include "live/RegistrableDomain.h"
#include "store/TStoreError.h"

namespace halvane::livesetup {
namespace {

// A verdict waits at most this long for its batch: a killed run loses a
// second of work at most.
constexpr std::chrono::seconds kLongestWait{1};

store::TCommentLinks StoredCommentLinks(pagetest::TCommentLinks links) {
  switch (links) {
    case pagetest::TCommentLinks::Followed: return store::TCommentLinks::Followed;
    case pagetest::TCommentLinks::Mixed: return store::TCommentLinks::Mixed;
    default: return store::TCommentLinks::None;
  }
}

pagetest::TCommentLinks PageCommentLinks(store::TCommentLinks links) {
  switch (links) {
    case store::TCommentLinks::Followed: return pagetest::TCommentLinks::Followed;
    case store::TCommentLinks::Mixed: return pagetest::TCommentLinks::Mixed;
    default: return pagetest::TCommentLinks::NoneYet;
  }
}

}  // namespace

liverun::TLiveResult ResultOf(const store::TVerdictRecord& verdict) {
  liverun::TLiveResult row;
  row.Url = verdict.FinalAddress.empty() ? verdict.Address : verdict.FinalAddress;
  row.CommentsOpen = verdict.CommentsOpen.value_or(false);
  row.CommentLinks = PageCommentLinks(verdict.CommentLinks.value_or(store::TCommentLinks::None));
  row.HasYourLink = verdict.HasYourLink.value_or(false);
  row.Anchor = verdict.Anchor;
  row.YourLinkRel = verdict.YourLinkRel.value_or("");
  row.AuthorityAwaited = false;
  row.Authority = verdict.Authority;
  if (verdict.TrafficRank && *verdict.TrafficRank > 0 && *verdict.TrafficRank <= UINT32_MAX) {
    row.TrafficRank = static_cast<std::uint32_t>(*verdict.TrafficRank);
  }
  return row;
}

store::TVerdictRecord VerdictRecord(const liverun::TPageOutcome& outcome, const liverun::TLiveResult* row,
                                    std::int64_t runId) {
  store::TVerdictRecord record;
  record.Address = outcome.Address;
  if (outcome.FinalAddress != outcome.Address) record.FinalAddress = outcome.FinalAddress;
  record.Host = live::HostOfUrl(outcome.Address);
  record.RunId = runId;
  if (!row) {
    record.Reason = outcome.Result;
    return record;
  }
  record.CommentsOpen = row->CommentsOpen;
  record.CommentLinks = StoredCommentLinks(row->CommentLinks);
  record.HasYourLink = row->HasYourLink;
  if (row->HasYourLink) {
    record.YourLinkRel = row->YourLinkRel;
    record.Anchor = row->Anchor;
  }
  record.Authority = row->Authority;
  if (row->TrafficRank) record.TrafficRank = *row->TrafficRank;
  return record;
}

TStoreMemory::TStoreMemory(store::TStore& store, TMemoryOptions options)
    : FStore(store), FOptions(options), FLastWrite(std::chrono::steady_clock::now()) {
  FSince = static_cast<store::TTime>(std::time(nullptr)) - static_cast<store::TTime>(FOptions.Days) * 86400;
}

liverun::TRecall TStoreMemory::Recall(const std::string& address) {
  liverun::TRecall recall;
  if (!FError.empty()) return recall;
  try {
    if (FStore.IsBlacklisted(live::HostOfUrl(address))) {
      recall.Skip = std::string(liverun::kReasonBlacklisted);
      return recall;
    }
    const std::optional<store::TTime> last = FStore.LastJudged(address);
    recall.Known = last.has_value();
    if (FOptions.NewOnly && last && *last >= FSince) {
      recall.Skip = std::string(liverun::kReasonJudgedRecently);
      ++FSkippedRecently;
    }
  } catch (const store::TStoreError& failure) {
    Fail(failure.what());
  }
  return recall;
}

void TStoreMemory::Remember(const liverun::TPageOutcome& outcome, const liverun::TLiveResult* row) {
  if (!FError.empty()) return;
  FPending.push_back(VerdictRecord(outcome, row, FOptions.RunId));
  if (FPending.size() >= FOptions.BatchSize || std::chrono::steady_clock::now() - FLastWrite >= kLongestWait) {
    Flush();
  }
}

void TStoreMemory::Flush() {
  FLastWrite = std::chrono::steady_clock::now();
  if (FPending.empty() || !FError.empty()) return;
  try {
    FStore.RecordVerdicts(FPending);
  } catch (const store::TStoreError& failure) {
    Fail(failure.what());
  }
  FPending.clear();
}

void TStoreMemory::Fail(const std::string& message) {
  if (FError.empty()) FError = message;
}

}  // namespace halvane::livesetup
