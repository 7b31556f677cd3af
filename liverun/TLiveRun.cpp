#include "liverun/TLiveRun.h"

#include <algorithm>
#include <utility>

#include "base/AddressText.h"
#include "live/RegistrableDomain.h"
#include "live/UrlForm.h"
#include "search/Harvest.h"

namespace halvane::liverun {
namespace {

// What Stop leaves for aborted transfers to come back; the run then ends
// whatever is still out (their late answers go to a closed mailbox).
constexpr std::chrono::milliseconds kStopGrace{80};

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The address a page is known by: its canonical link when that stays on the
// page's own site (a canonical elsewhere is a claim the page cannot make),
// else the address it was served from.
std::string PageAddress(const std::string& finalUrl, const std::string& canonical) {
  if (canonical.empty()) return finalUrl;
  const std::optional<std::string> resolved = live::ResolveAddress(finalUrl, canonical);
  if (!resolved) return finalUrl;
  const std::string site = live::RegistrableDomain(live::HostOfUrl(finalUrl));
  if (site.empty() || live::RegistrableDomain(live::HostOfUrl(*resolved)) != site) return finalUrl;
  return *resolved;
}

std::string FailureText(const live::TLiveResponse& response) {
  if (response.Answered()) return "HTTP " + std::to_string(response.Status);
  return response.Message.empty() ? std::string("no answer") : response.Message;
}

}  // namespace

std::string FootprintQuery(std::string_view footprint, std::string_view keyword) {
  if (footprint.empty()) return BuildQueryText(keyword);
  static constexpr std::string_view kSlot = "{keyword}";
  if (footprint.find(kSlot) == std::string_view::npos) return std::string(keyword) + " " + std::string(footprint);
  std::string query;
  for (std::size_t at = 0;;) {
    const std::size_t slot = footprint.find(kSlot, at);
    query += footprint.substr(at, slot - at);
    if (slot == std::string_view::npos) break;
    query += keyword;
    at = slot + kSlot.size();
  }
  return query;
}

std::string JudgingText(std::size_t judged, std::size_t found) {
  return "Judging " + std::to_string(judged) + " of " + std::to_string(found) + " pages...";
}

std::string SummaryText(const TLiveRunSummary& summary) {
  std::string text = Plural(summary.Rows, "row", "rows") + " from " +
                     Plural(summary.PagesFound, "page", "pages");
  if (summary.Nofollow > 0) text += ", " + std::to_string(summary.Nofollow) + " nofollow";
  if (summary.NotWordPress > 0) text += ", " + std::to_string(summary.NotWordPress) + " not WordPress";
  if (summary.Duplicates > 0) text += ", " + Plural(summary.Duplicates, "duplicate", "duplicates");
  if (summary.RobotsSkipped > 0) {
    text += ", " + Plural(summary.RobotsSkipped, "page", "pages") + " skipped by robots.txt";
  }
  if (summary.PagesFailed > 0) text += ", " + Plural(summary.PagesFailed, "page", "pages") + " failed";
  if (summary.Blacklisted > 0) text += ", " + std::to_string(summary.Blacklisted) + " blacklisted";
  if (summary.JudgedRecently > 0) {
    text += ", " + Plural(summary.JudgedRecently, "page", "pages") + " judged recently skipped";
  }
  if (summary.Stopped) text += ", stopped";
  if (!summary.SourceError.empty()) text += "; " + summary.SourceError;
  if (!summary.Note.empty()) text += "; " + summary.Note;
  return text;
}

TLiveRun::TLiveRun(TLiveRunParts& parts, TLiveRunInput input, TLiveRunListener& listener)
    : FParts(parts), FInput(std::move(input)), FListener(listener),
      FMailbox(std::make_shared<TMailbox>()) {
  FInput.Depth = std::clamp(FInput.Depth, 1, 10);
}

TLiveRun::~TLiveRun() {
  if (FThread.joinable()) {
    Stop();
    FThread.join();
  }
}

void TLiveRun::Start() {
  if (FThread.joinable()) return;
  FThread = std::thread([this] { Loop(); });
}

void TLiveRun::Stop() {
  if (FStopRequested.exchange(true)) return;
  // Straight away from this thread (the client allows it), so transfers end
  // even while the run's thread is busy judging a page.
  FMailbox->Post([this] { OnStop(); }, true);
  if (FParts.Pages) FParts.Pages->AbortAll();
}

void TLiveRun::Wait() {
  if (FThread.joinable()) FThread.join();
}

bool TLiveRun::WaitFor(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(FFinishedLock);
    if (!FFinishedSignal.wait_for(lock, timeout, [this] { return FFinished; })) return false;
  }
  Wait();
  return true;
}

void TLiveRun::Post(TMailbox::TMessage message) {
  FMailbox->Post(std::move(message));
}

void TLiveRun::Loop() {
  Begin();
  while (!FDone) {
    std::optional<TMailbox::TMessage> message;
    if (!FStopDeadline || TMailbox::TClock::now() < *FStopDeadline) message = FMailbox->Take(FStopDeadline);
    if (!message) {
      Finish();
      break;
    }
    (*message)();
  }
  FMailbox->Close();
  {
    const std::lock_guard lock(FFinishedLock);
    FFinished = true;
  }
  FFinishedSignal.notify_all();
}

void TLiveRun::Begin() {
  for (const std::string& note : FParts.Notes) FListener.StatusText(note);
  if (!FParts.Harvest || !FParts.Pages || !FParts.Judge) {
    FSummary.SourceError = "no search engine configured";
    Finish();
    return;
  }
  if (FParts.Memory) FParts.Memory->Begin(FInput.Keyword, FInput.Footprint);
  FHarvestName = FParts.Harvest->Name();
  FHarvesting = true;
  FListener.StatusText(SearchingText(FHarvestName, 1));
  FListener.Progress(0, 0);
  const std::shared_ptr<TMailbox> mailbox = FMailbox;
  FParts.Harvest->Start(
      FootprintQuery(FInput.Footprint, FInput.Keyword), static_cast<std::size_t>(FInput.Depth) * 100,
      [this, mailbox](const TSearchProgress& progress) {
        mailbox->Post([this, progress]() mutable { OnHarvestProgress(std::move(progress)); });
      },
      [this, mailbox](TSearchOutcome outcome) {
        mailbox->Post([this, outcome = std::move(outcome)]() mutable { OnHarvestDone(std::move(outcome)); });
      });
}

void TLiveRun::OnHarvestProgress(TSearchProgress progress) {
  if (FStopped || !FHarvesting) return;
  FListener.StatusText(SearchingText(FHarvestName, progress.Page));
  AddAddresses(progress.NewAddresses.begin(), progress.NewAddresses.end());
  FListener.Progress(FSummary.PagesJudged, FSummary.PagesFound);
}

void TLiveRun::AddAddresses(std::vector<std::string>::const_iterator first,
                            std::vector<std::string>::const_iterator last) {
  for (; first != last && !FStopped; ++first) {
    ++FHarvested;
    const std::size_t slot = FAddresses.size();
    // A password in a harvested address is nobody's to use or to show: the
    // page is asked for, listed and reported without it.
    std::optional<std::string> address = live::NormalAddress(*first);
    if (address) address = WithoutUserInfo(*address);
    FAddresses.push_back(address.value_or(WithoutUserInfo(*first)));
    FSlots.emplace_back();
    FSummary.PagesFound = FAddresses.size();
    if (!address) {
      ++FSummary.PagesJudged;
      ++FSummary.PagesFailed;
      Drop(slot, std::string(kReasonFailed) + "not a web address");
    } else if (!FSeenAddresses.insert(*address).second) {
      ++FSummary.PagesJudged;
      ++FSummary.Duplicates;
      Drop(slot, std::string(kReasonDuplicate));
    } else if (const TRecall recall = FParts.Memory ? FParts.Memory->Recall(*address) : TRecall{};
               !recall.Skip.empty()) {
      ++FSummary.PagesJudged;
      ++(recall.Skip == kReasonBlacklisted ? FSummary.Blacklisted : FSummary.JudgedRecently);
      Drop(slot, recall.Skip);
    } else {
      FSlots[slot].Known = recall.Known;
      FPageQueue.push_back(slot);
      ++FPagesOut;
    }
  }
  FetchQueuedPages();
  ReportReadyRows();
}

void TLiveRun::FetchQueuedPages() {
  const std::shared_ptr<TMailbox> mailbox = FMailbox;
  while (!FPageQueue.empty() && !FStopped && (FParts.PageSlots == 0 || FPagesFetching < FParts.PageSlots)) {
    const std::size_t slot = FPageQueue.front();
    FPageQueue.pop_front();
    ++FPagesFetching;
    FParts.Pages->Fetch(FAddresses[slot], [this, mailbox, slot](live::TLiveResponse response) {
      mailbox->Post([this, slot, response = std::move(response)]() mutable { OnPage(slot, std::move(response)); });
    });
  }
}

void TLiveRun::OnHarvestDone(TSearchOutcome outcome) {
  if (!FHarvesting) return;
  FHarvesting = false;
  if (FStopped) {
    CheckFinished();
    return;
  }
  if (!outcome.Problem.empty()) {
    FSummary.SourceError = outcome.Problem;
    FListener.StatusText(FSummary.SourceError);
  }
  // The addresses not yet reported as new: the last page's.
  if (outcome.Addresses.size() > FHarvested) {
    AddAddresses(outcome.Addresses.begin() + static_cast<std::ptrdiff_t>(FHarvested), outcome.Addresses.end());
  }
  ReportJudging();
  CheckFinished();
}

void TLiveRun::OnPage(std::size_t slot, live::TLiveResponse response) {
  --FPagesOut;
  --FPagesFetching;
  FetchQueuedPages();
  // Only a Stop aborts: such a page is neither judged nor failed.
  if (FStopped || FStopRequested.load() || response.Error == live::TLiveError::Aborted) {
    CheckFinished();
    return;
  }
  ++FSummary.PagesJudged;
  Judge(slot, std::move(response));
  if (!FHarvesting) {
    ReportJudging();
  } else {
    FListener.Progress(FSummary.PagesJudged, FSummary.PagesFound);
  }
  ReportReadyRows();
  CheckFinished();
}

void TLiveRun::Judge(std::size_t slot, live::TLiveResponse response) {
  TSlot& entry = FSlots[slot];
  entry.FinalUrl = response.FinalUrl.empty() ? FAddresses[slot]
                                             : live::NormalAddress(response.FinalUrl).value_or(response.FinalUrl);
  // robots.txt that could not be fetched at all (a certificate, a time-out)
  // is a failure of the site, not its rules: the user is told the error.
  const bool robotsFetchFailed =
      response.Error == live::TLiveError::RobotsUnavailable && response.RobotsCause != live::TLiveError::None;
  if (!robotsFetchFailed && (response.Error == live::TLiveError::RobotsDisallowed ||
                             response.Error == live::TLiveError::RobotsUnavailable)) {
    ++FSummary.RobotsSkipped;
    Drop(slot, std::string(kReasonRobots));
    return;
  }
  if (!response.Succeeded()) {
    ++FSummary.PagesFailed;
    Drop(slot, std::string(kReasonFailed) + FailureText(response));
    return;
  }
  const pagetest::TPageVerdict verdict =
      FParts.Judge({response.Body, entry.FinalUrl, response.Header("content-type"), FInput.Domain});
  response.Body = std::string();
  if (verdict.Qualifies) {
    Qualified(slot, verdict);
  } else if (verdict.Rejection == pagetest::TRejection::Nofollow) {
    ++FSummary.Nofollow;
    Drop(slot, std::string(kReasonNofollow));
  } else if (verdict.Rejection == pagetest::TRejection::CannotJudge) {
    ++FSummary.PagesFailed;
    Drop(slot, std::string(kReasonFailed) + verdict.Reason);
  } else {
    ++FSummary.NotWordPress;
    Drop(slot, std::string(kReasonNotWordPress));
  }
}

void TLiveRun::Qualified(std::size_t slot, const pagetest::TPageVerdict& verdict) {
  TSlot& entry = FSlots[slot];
  const std::string url = PageAddress(entry.FinalUrl, verdict.Canonical);
  const auto [owner, fresh] = FPageOwners.emplace(url, slot);
  if (!fresh) {
    ++FSummary.Duplicates;
    if (owner->second < slot) {
      Drop(slot, std::string(kReasonDuplicate));
      return;
    }
    // A later address answered first: the row stands where the page was
    // first harvested. Neither slot has been reported yet.
    TSlot& later = FSlots[owner->second];
    entry.Result = later.Result;
    later.State = TSlotState::Dropped;
    later.Reason = std::string(kReasonDuplicate);
    owner->second = slot;
    entry.State = TSlotState::Ready;
    AskAuthority(slot);
    return;
  }
  entry.State = TSlotState::Ready;
  TLiveResult& result = entry.Result;
  result.Url = url;
  result.Keyword = FInput.Keyword;
  result.Footprint = FInput.Footprint;
  if (FParts.Memory) result.IsNew = !entry.Known;
  result.CommentsOpen = verdict.CommentsOpen;
  result.CommentLinks = verdict.CommentLinks;
  result.HasYourLink = verdict.HasYourLink;
  if (verdict.HasYourLink && verdict.Anchor != kNoFigure) result.Anchor = verdict.Anchor;
  if (verdict.HasYourLink) result.YourLinkRel = verdict.YourLinkRel;
  if (FParts.Ranking) result.TrafficRank = FParts.Ranking->Rank(url);
  AskAuthority(slot);
}

void TLiveRun::Drop(std::size_t slot, std::string reason) {
  FSlots[slot].State = TSlotState::Dropped;
  FSlots[slot].Reason = std::move(reason);
}

void TLiveRun::AskAuthority(std::size_t slot) {
  const std::string domain = FParts.Authority ? FParts.Authority->NameOf(FSlots[slot].Result.Url) : std::string();
  const auto known = FAuthorityFigures.find(domain);
  if (known != FAuthorityFigures.end() && known->second.Answered) {
    SetAuthority(slot, known->second.Figure);
    return;
  }
  if (domain.empty() || FAuthorityFailed) {
    SetAuthority(slot, std::nullopt);
    return;
  }
  FAuthorityWaiters[domain].push_back(slot);
  if (known == FAuthorityFigures.end()) {
    FAuthorityFigures.emplace(domain, TAuthorityEntry{});
    FAuthorityQueue.push_back(domain);
  }
  SendAuthorityBatch();
}

void TLiveRun::SetAuthority(std::size_t slot, std::optional<int> figure) {
  TSlot& entry = FSlots[slot];
  entry.Result.AuthorityAwaited = false;
  entry.Result.Authority = figure;
  if (entry.Row) {
    FListener.ResultChanged(*entry.Row, entry.Result);
    Remember(slot);
  }
}

void TLiveRun::Remember(std::size_t slot) {
  TSlot& entry = FSlots[slot];
  if (!FParts.Memory || entry.Remembered) return;
  const bool kept = entry.State == TSlotState::Ready;
  if (kept && entry.Result.AuthorityAwaited) return;  // once its last figure is in
  const std::string& reason = entry.Reason;
  if (!kept && (reason == kReasonDuplicate || reason == kReasonBlacklisted || reason == kReasonJudgedRecently ||
                reason.starts_with(kReasonFailed))) {
    return;
  }
  entry.Remembered = true;
  FParts.Memory->Remember({FInput.Keyword, FAddresses[slot], entry.FinalUrl,
                           kept ? std::string(kResultKept) : reason, FInput.Footprint},
                          kept ? &entry.Result : nullptr);
}

void TLiveRun::SendAuthorityBatch() {
  if (FAuthorityInFlight || FAuthorityQueue.empty() || FStopped || FAuthorityFailed) return;
  const std::size_t size = std::min(FAuthorityQueue.size(), std::max<std::size_t>(1, FParts.Authority->MaxBatch()));
  std::vector<std::string> batch(FAuthorityQueue.begin(), FAuthorityQueue.begin() + static_cast<std::ptrdiff_t>(size));
  FAuthorityQueue.erase(FAuthorityQueue.begin(), FAuthorityQueue.begin() + static_cast<std::ptrdiff_t>(size));
  FAuthorityInFlight = true;
  const std::shared_ptr<TMailbox> mailbox = FMailbox;
  FParts.Authority->Lookup(batch, [this, mailbox, batch](TAuthorityAnswer answer) {
    mailbox->Post([this, batch, answer = std::move(answer)]() mutable { OnAuthority(batch, std::move(answer)); });
  });
}

void TLiveRun::OnAuthority(std::vector<std::string> batch, TAuthorityAnswer answer) {
  FAuthorityInFlight = false;
  if (FStopped) {
    CheckFinished();
    return;
  }
  AddNote(answer.Note);
  if (!answer.Error.empty()) {
    // The source failed half-way: every row still waiting, and every later
    // one, shows "-"; the status says why.
    FAuthorityFailed = true;
    const std::string& reason = answer.Error;
    if (FSummary.SourceError.empty()) FSummary.SourceError = reason;
    FListener.StatusText(reason + "; Authority shows " + std::string(kNoFigure));
    batch.insert(batch.end(), FAuthorityQueue.begin(), FAuthorityQueue.end());
    FAuthorityQueue.clear();
  }
  for (const std::string& domain : batch) {
    const auto found = answer.Figures.find(domain);
    std::optional<int> figure;
    if (found != answer.Figures.end() && answer.Error.empty()) figure = found->second;
    FAuthorityFigures[domain] = TAuthorityEntry{true, figure};
    const auto waiters = FAuthorityWaiters.find(domain);
    if (waiters == FAuthorityWaiters.end()) continue;
    for (std::size_t slot : waiters->second) SetAuthority(slot, figure);
    FAuthorityWaiters.erase(waiters);
  }
  SendAuthorityBatch();
  CheckFinished();
}

void TLiveRun::ReportReadyRows() {
  while (FNextSlot < FSlots.size() && FSlots[FNextSlot].State != TSlotState::Pending) {
    TSlot& entry = FSlots[FNextSlot];
    if (entry.State == TSlotState::Ready) {
      entry.Row = FSummary.Rows++;
      FListener.RowAdded(*entry.Row, entry.Result);
    }
    const bool kept = entry.State == TSlotState::Ready;
    FListener.PageSettled({FInput.Keyword, FAddresses[FNextSlot], entry.FinalUrl,
                           kept ? std::string(kResultKept) : entry.Reason, FInput.Footprint});
    Remember(FNextSlot);
    ++FNextSlot;
  }
}

void TLiveRun::ReportJudging() {
  FListener.StatusText(JudgingText(FSummary.PagesJudged, FSummary.PagesFound));
  FListener.Progress(FSummary.PagesJudged, FSummary.PagesFound);
}

void TLiveRun::OnStop() {
  if (FDone || FStopped) return;
  FStopped = true;
  FSummary.Stopped = true;
  FPagesOut -= FPageQueue.size();
  FPageQueue.clear();
  // A back end calls no handler after Stop: the harvest is over.
  if (FHarvesting) FParts.Harvest->Stop();
  FHarvesting = false;
  if (FParts.Pages) FParts.Pages->AbortAll();
  // Figures that will not come now are unknown.
  for (const auto& [domain, slots] : FAuthorityWaiters) {
    for (std::size_t slot : slots) SetAuthority(slot, std::nullopt);
  }
  FAuthorityWaiters.clear();
  FStopDeadline = TMailbox::TClock::now() + kStopGrace;
  CheckFinished();
}

void TLiveRun::CheckFinished() {
  if (FDone || FHarvesting || FPagesOut > 0 || FAuthorityInFlight) return;
  if (!FStopped && !FAuthorityQueue.empty()) return;
  Finish();
}

void TLiveRun::AddNote(const std::string& note) {
  if (note.empty() || FSummary.Note.find(note) != std::string::npos) return;
  FSummary.Note += (FSummary.Note.empty() ? "" : "; ") + note;
  FListener.StatusText(note);
}

void TLiveRun::Finish() {
  if (FDone) return;
  FDone = true;
  if (FParts.Ranking) AddNote(FParts.Ranking->Note());
  if (FParts.Memory) {
    FParts.Memory->Flush();
    AddNote(FParts.Memory->Note());
  }
  FListener.StatusText(SummaryText(FSummary));
  FListener.Finished(FSummary);
}

}  // namespace halvane::liverun
