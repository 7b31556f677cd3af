#include "liverun/TLiveRun.h"

#include <algorithm>
#include <utility>

#include "live/RegistrableDomain.h"
#include "search/Harvest.h"

namespace halvane::liverun {
namespace {

// What Stop leaves for aborted transfers to come back; the run then ends
// whatever is still out (their late answers go to a closed mailbox).
constexpr std::chrono::milliseconds kStopGrace{80};

// The name asked of the authority source: the registrable domain, or the
// host itself when it has none (an address).
std::string AuthorityDomainOf(const std::string& url) {
  const std::string host = live::HostOfUrl(url);
  std::string domain = live::RegistrableDomain(host);
  return domain.empty() ? host : domain;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string SearchingText(const std::string& engine, int page) {
  return "Searching " + engine + ", page " + std::to_string(page) + "...";
}

std::string JudgingText(std::size_t judged, std::size_t found) {
  return "Judging " + std::to_string(judged) + " of " + std::to_string(found) + " pages...";
}

std::string SummaryText(const TLiveRunSummary& summary) {
  std::string text = Plural(summary.Rows, "row", "rows") + " from " +
                     Plural(summary.PagesFound, "page", "pages");
  if (summary.RobotsSkipped > 0) {
    text += ", " + Plural(summary.RobotsSkipped, "page", "pages") + " skipped by robots.txt";
  }
  if (summary.PagesFailed > 0) text += ", " + Plural(summary.PagesFailed, "page", "pages") + " failed";
  if (summary.Stopped) text += ", stopped";
  if (!summary.SourceError.empty()) text += "; " + summary.SourceError;
  return text;
}

TLiveRun::TLiveRun(TLiveRunParts& parts, TLiveRunInput input, TLiveRunListener& listener)
    : FParts(parts), FInput(std::move(input)), FListener(listener),
      FMailbox(std::make_shared<TRunMailbox>()) {
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
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!FFinished.load()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Wait();
  return true;
}

void TLiveRun::Post(TRunMailbox::TMessage message) {
  FMailbox->Post(std::move(message));
}

void TLiveRun::Loop() {
  Begin();
  while (!FDone) {
    std::optional<TRunMailbox::TMessage> message;
    if (!FStopDeadline || TRunMailbox::TClock::now() < *FStopDeadline) message = FMailbox->Take(FStopDeadline);
    if (!message) {
      Finish();
      break;
    }
    (*message)();
  }
  FMailbox->Close();
  FFinished = true;
}

void TLiveRun::Begin() {
  for (const std::string& note : FParts.Notes) FListener.StatusText(note);
  if (!FParts.Harvest || !FParts.Pages || !FParts.Judge) {
    FSummary.SourceError = "no search engine configured";
    Finish();
    return;
  }
  FHarvestName = FParts.Harvest->Name();
  FHarvesting = true;
  FListener.StatusText(SearchingText(FHarvestName, 1));
  FListener.Progress(0, 0);
  const std::shared_ptr<TRunMailbox> mailbox = FMailbox;
  FParts.Harvest->Start(
      BuildQueryText(FInput.Keyword), static_cast<std::size_t>(FInput.Depth) * 100,
      [this, mailbox](int page, std::size_t found, std::vector<std::string> newAddresses) {
        mailbox->Post([this, page, found, newAddresses = std::move(newAddresses)]() mutable {
          OnHarvestProgress(page, found, std::move(newAddresses));
        });
      },
      [this, mailbox](THarvestResult result) {
        mailbox->Post([this, result = std::move(result)]() mutable { OnHarvestDone(std::move(result)); });
      });
}

void TLiveRun::OnHarvestProgress(int page, std::size_t, std::vector<std::string> newAddresses) {
  if (FStopped || !FHarvesting) return;
  FListener.StatusText(SearchingText(FHarvestName, page));
  AddAddresses(newAddresses.begin(), newAddresses.end());
  FListener.Progress(FSummary.PagesJudged, FSummary.PagesFound);
}

void TLiveRun::AddAddresses(std::vector<std::string>::const_iterator first,
                            std::vector<std::string>::const_iterator last) {
  for (; first != last && !FStopped; ++first) {
    FPageQueue.push_back(FAddresses.size());
    FAddresses.push_back(*first);
    FSlots.emplace_back();
    ++FPagesOut;
  }
  FSummary.PagesFound = FAddresses.size();
  FetchQueuedPages();
}

void TLiveRun::FetchQueuedPages() {
  const std::shared_ptr<TRunMailbox> mailbox = FMailbox;
  while (!FPageQueue.empty() && !FStopped && (FParts.PageSlots == 0 || FPagesFetching < FParts.PageSlots)) {
    const std::size_t slot = FPageQueue.front();
    FPageQueue.pop_front();
    ++FPagesFetching;
    FParts.Pages->Fetch(FAddresses[slot], [this, mailbox, slot](live::TLiveResponse response) {
      mailbox->Post([this, slot, response = std::move(response)]() mutable { OnPage(slot, std::move(response)); });
    });
  }
}

void TLiveRun::OnHarvestDone(THarvestResult result) {
  if (!FHarvesting) return;
  FHarvesting = false;
  if (FStopped) {
    CheckFinished();
    return;
  }
  if (!result.Error.empty()) {
    FSummary.SourceError = result.Error;
    FListener.StatusText(FSummary.SourceError);
  }
  // The addresses not yet reported as new: the last page's.
  if (result.Addresses.size() > FAddresses.size()) {
    AddAddresses(result.Addresses.begin() + static_cast<std::ptrdiff_t>(FAddresses.size()), result.Addresses.end());
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
  FSlots[slot].State = TSlotState::Dropped;
  if (response.Error == live::TLiveError::RobotsDisallowed) {
    ++FSummary.RobotsSkipped;
  } else if (!response.Succeeded()) {
    ++FSummary.PagesFailed;
  } else {
    const TPageVerdict verdict = FParts.Judge(response.Body, FInput.Domain);
    response.Body = std::string();
    if (verdict.Qualifies) Qualified(slot, verdict);
  }
  if (!FHarvesting) {
    ReportJudging();
  } else {
    FListener.Progress(FSummary.PagesJudged, FSummary.PagesFound);
  }
  ReportReadyRows();
  CheckFinished();
}

void TLiveRun::Qualified(std::size_t slot, const TPageVerdict& verdict) {
  TSlot& entry = FSlots[slot];
  entry.State = TSlotState::Ready;
  const std::string& url = FAddresses[slot];
  entry.Cells[kLiveUrl] = url;
  entry.Cells[kLiveComments] = verdict.CommentsOpen ? "Open" : "Closed";
  entry.Cells[kLiveHasYourLink] = verdict.HasYourLink ? "Yes" : "No";
  entry.Cells[kLiveAnchorName] =
      verdict.HasYourLink && !verdict.Anchor.empty() ? verdict.Anchor : std::string(kNoFigure);
  entry.Cells[kLiveTrafficRank] = FParts.Ranking ? FParts.Ranking->Cell(url) : std::string(kNoFigure);
  AskAuthority(slot);
}

void TLiveRun::AskAuthority(std::size_t slot) {
  const std::string domain = FParts.Authority ? AuthorityDomainOf(FAddresses[slot]) : std::string();
  const auto known = FAuthorityCells.find(domain);
  if (known != FAuthorityCells.end() && !known->second.empty()) {
    SetAuthority(slot, known->second);
    return;
  }
  if (domain.empty() || FAuthorityFailed) {
    SetAuthority(slot, std::string(kNoFigure));
    return;
  }
  FAuthorityWaiters[domain].push_back(slot);
  if (known == FAuthorityCells.end()) {
    FAuthorityCells.emplace(domain, std::string());
    FAuthorityQueue.push_back(domain);
  }
  SendAuthorityBatch();
}

void TLiveRun::SetAuthority(std::size_t slot, const std::string& text) {
  TSlot& entry = FSlots[slot];
  entry.Cells[kLiveAuthority] = text;
  if (entry.Row) FListener.CellSet(*entry.Row, kLiveAuthority, text);
}

void TLiveRun::SendAuthorityBatch() {
  if (FAuthorityInFlight || FAuthorityQueue.empty() || FStopped || FAuthorityFailed) return;
  const std::size_t size = std::min(FAuthorityQueue.size(), std::max<std::size_t>(1, FParts.Authority->MaxBatch()));
  std::vector<std::string> batch(FAuthorityQueue.begin(), FAuthorityQueue.begin() + static_cast<std::ptrdiff_t>(size));
  FAuthorityQueue.erase(FAuthorityQueue.begin(), FAuthorityQueue.begin() + static_cast<std::ptrdiff_t>(size));
  FAuthorityInFlight = true;
  const std::shared_ptr<TRunMailbox> mailbox = FMailbox;
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
    const auto figure = answer.Figures.find(domain);
    const std::string cell = figure != answer.Figures.end() && answer.Error.empty()
                                 ? std::to_string(figure->second)
                                 : std::string(kNoFigure);
    FAuthorityCells[domain] = cell;
    const auto waiters = FAuthorityWaiters.find(domain);
    if (waiters == FAuthorityWaiters.end()) continue;
    for (std::size_t slot : waiters->second) SetAuthority(slot, cell);
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
      FListener.RowAdded(*entry.Row, entry.Cells);
    }
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
    for (std::size_t slot : slots) SetAuthority(slot, std::string(kNoFigure));
  }
  FAuthorityWaiters.clear();
  FStopDeadline = TRunMailbox::TClock::now() + kStopGrace;
  CheckFinished();
}

void TLiveRun::CheckFinished() {
  if (FDone || FHarvesting || FPagesOut > 0 || FAuthorityInFlight) return;
  if (!FStopped && !FAuthorityQueue.empty()) return;
  Finish();
}

void TLiveRun::Finish() {
  if (FDone) return;
  FDone = true;
  FListener.StatusText(SummaryText(FSummary));
  FListener.Finished(FSummary);
}

}  // namespace halvane::liverun
