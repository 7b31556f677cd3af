#include "tests/liverun/LiveRunFakes.h"

#include <algorithm>

namespace halvane::liverun::testing {

void TFakeHarvest::Start(std::string query, std::size_t maxAddresses, TProgressHandler progress,
                         TDoneHandler done) {
  ++Starts;
  if (OnStart) OnStart();
  LastQuery = query;
  LastMax = maxAddresses;
  if (FThread.joinable()) FThread.join();
  {
    std::lock_guard lock(FLock);
    FStop = false;
  }
  FThread = std::thread([this, progress, done] {
    // Pages of ten: each page's addresses are reported as new before the
    // next page is asked; the last page's come only with the result.
    TSearchOutcome result;
    std::vector<std::string> fresh;
    for (std::size_t i = 0; i < Addresses.size() && i < LastMax; ++i) {
      result.Addresses.push_back(Addresses[i]);
      fresh.push_back(Addresses[i]);
      if (i % 10 == 9 && i + 1 < std::min(Addresses.size(), LastMax)) {
        progress({Name(), static_cast<int>(i / 10) + 2, result.Addresses.size(), fresh});
        fresh.clear();
      }
    }
    std::unique_lock lock(FLock);
    if (HangUntilStop) FWake.wait(lock, [this] { return FStop; });
    const bool stopped = FStop;
    lock.unlock();
    if (stopped) result.Problem.clear();
    else result.Problem = Error;
    done(std::move(result));
  });
}

void TFakeHarvest::Stop() {
  {
    std::lock_guard lock(FLock);
    FStop = true;
  }
  FWake.notify_all();
}

TFakeHarvest::~TFakeHarvest() {
  Stop();
  if (FThread.joinable()) FThread.join();
}

TFakeFetcher::TFakeFetcher(int parallel) {
  for (int i = 0; i < parallel; ++i) FWorkers.emplace_back([this] { Work(); });
}

TFakeFetcher::~TFakeFetcher() {
  {
    std::lock_guard lock(FLock);
    FQuit = true;
  }
  FWake.notify_all();
  for (std::thread& worker : FWorkers) worker.join();
}

void TFakeFetcher::Fetch(std::string url, TDone done) {
  {
    std::lock_guard lock(FLock);
    ++FFetched[url];
    FJobs.push_back({std::move(url), std::move(done)});
  }
  FWake.notify_one();
}

int TFakeFetcher::Fetched(const std::string& url) {
  std::lock_guard lock(FLock);
  const auto found = FFetched.find(url);
  return found == FFetched.end() ? 0 : found->second;
}

void TFakeFetcher::AbortAll() {
  std::deque<TJob> aborted;
  {
    std::lock_guard lock(FLock);
    ++FAbortGeneration;
    aborted.swap(FJobs);
  }
  FWake.notify_all();
  for (TJob& job : aborted) job.Done(Failure(live::TLiveError::Aborted, "aborted"));
}

void TFakeFetcher::Work() {
  std::unique_lock lock(FLock);
  while (true) {
    FWake.wait(lock, [this] { return FQuit || !FJobs.empty(); });
    if (FQuit) return;
    TJob job = std::move(FJobs.front());
    FJobs.pop_front();
    const std::uint64_t generation = FAbortGeneration;
    const auto page = Pages.find(job.Url);
    const int delay = page == Pages.end() ? 0 : page->second.DelayMs;
    const int atOnce = ++FAtOnce;
    int most = FMostAtOnce.load();
    while (atOnce > most && !FMostAtOnce.compare_exchange_weak(most, atOnce)) {
    }
    const bool aborted = FWake.wait_for(lock, std::chrono::milliseconds(delay), [&] {
      return FQuit || FAbortGeneration != generation;
    });
    --FAtOnce;
    lock.unlock();
    if (aborted) {
      job.Done(Failure(live::TLiveError::Aborted, "aborted"));
    } else if (page == Pages.end()) {
      job.Done(Answer(404, "not here"));
    } else {
      job.Done(page->second.Response);
    }
    lock.lock();
  }
}

TFakeAuthority::~TFakeAuthority() {
  for (std::thread& thread : FThreads) thread.join();
}

void TFakeAuthority::Lookup(std::vector<std::string> domains, TDone done) {
  std::lock_guard lock(FLock);
  const int call = static_cast<int>(Calls.size());
  Calls.push_back(domains);
  TAuthorityAnswer answer;
  answer.Note = Note;
  if (FailFromCall >= 0 && call >= FailFromCall) {
    answer.Error = "FakeRank at rank.test failed on its side (HTTP 500)";
  } else {
    for (const std::string& domain : domains) {
      const auto figure = Figures.find(domain);
      answer.Figures[domain] = figure != Figures.end() ? std::optional<int>(figure->second) : std::nullopt;
    }
  }
  FThreads.emplace_back([this, answer = std::move(answer), done = std::move(done), delay = DelayMs]() mutable {
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    done(std::move(answer));
    {
      std::lock_guard lock(FLock);
      ++FAnswers;
    }
    FAnswered.notify_all();
  });
}

bool TFakeAuthority::WaitForAnswers(int count) {
  std::unique_lock lock(FLock);
  return FAnswered.wait_for(lock, std::chrono::minutes(1), [&] { return FAnswers >= count; });
}

std::vector<std::vector<std::string>> TFakeAuthority::CallsMade() {
  std::lock_guard lock(FLock);
  return Calls;
}

std::optional<std::uint32_t> TFakeRanking::Rank(std::string_view url) {
  const auto cell = Cells.find(std::string(url));
  if (cell == Cells.end()) return std::nullopt;
  std::string digits;
  for (char c : cell->second) {
    if (c != ',') digits.push_back(c);
  }
  return static_cast<std::uint32_t>(std::stoul(digits));
}

void TRecorder::RowAdded(std::size_t row, const TLiveResult& result) {
  std::lock_guard lock(FLock);
  if (FFinished) FFaults.push_back("row after Finished");
  if (row != FRows.size()) FFaults.push_back("row " + std::to_string(row) + " out of order");
  FRows.push_back(result);
  FChanged.notify_all();
}

void TRecorder::ResultChanged(std::size_t row, const TLiveResult& result) {
  std::lock_guard lock(FLock);
  if (FFinished) FFaults.push_back("cell after Finished");
  if (row >= FRows.size()) {
    FFaults.push_back("cell of unknown row " + std::to_string(row));
    return;
  }
  FRows[row] = result;
}

void TRecorder::PageSettled(const TPageOutcome& outcome) {
  std::lock_guard lock(FLock);
  if (FFinished) FFaults.push_back("outcome after Finished");
  FOutcomes.push_back(outcome);
}

std::vector<TPageOutcome> TRecorder::Outcomes() {
  std::lock_guard lock(FLock);
  return FOutcomes;
}

void TRecorder::StatusText(const std::string& text) {
  std::lock_guard lock(FLock);
  if (FFinished) FFaults.push_back("status after Finished");
  FStatuses.push_back(text);
  FChanged.notify_all();
}

void TRecorder::Progress(std::size_t done, std::size_t total) {
  std::lock_guard lock(FLock);
  if (FFinished) FFaults.push_back("progress after Finished");
  if (total > 0 && done > total) FFaults.push_back("progress past total");
}

void TRecorder::Finished(const TLiveRunSummary& summary) {
  std::lock_guard lock(FLock);
  ++FFinished;
  FSummary = summary;
}

std::vector<TLiveRow> TRecorder::Rows() {
  std::lock_guard lock(FLock);
  std::vector<TLiveRow> rows;
  for (const TLiveResult& result : FRows) {
    TLiveRow& cells = rows.emplace_back();
    for (int column = 0; column < kLiveColumnCount; ++column) {
      cells[static_cast<std::size_t>(column)] = LiveCellText(result, column);
    }
  }
  return rows;
}

std::vector<TLiveResult> TRecorder::Results() {
  std::lock_guard lock(FLock);
  return FRows;
}

bool TRecorder::WaitForRows(std::size_t count) {
  std::unique_lock lock(FLock);
  return FChanged.wait_for(lock, std::chrono::minutes(1), [&] { return FRows.size() >= count; });
}

bool TRecorder::WaitForStatus(const std::string& text) {
  std::unique_lock lock(FLock);
  return FChanged.wait_for(lock, std::chrono::minutes(1), [&] {
    return std::find(FStatuses.begin(), FStatuses.end(), text) != FStatuses.end();
  });
}

std::vector<std::string> TRecorder::Statuses() {
  std::lock_guard lock(FLock);
  return FStatuses;
}

TLiveRunSummary TRecorder::Summary() {
  std::lock_guard lock(FLock);
  return FSummary;
}

int TRecorder::FinishedCalls() {
  std::lock_guard lock(FLock);
  return FFinished;
}

std::vector<std::string> TRecorder::Faults() {
  std::lock_guard lock(FLock);
  return FFaults;
}

std::string QualifyingPage(const std::string& linkDomain, const std::string& anchor) {
  std::string page = "<html><head><link rel=\"stylesheet\" href=\"/wp-content/themes/t/style.css\"></head><body>";
  if (!linkDomain.empty()) page += "<a href=\"http://" + linkDomain + "/\">" + anchor + "</a>";
  page += "<form action=\"http://blog/wp-comments-post.php\"><textarea name=comment></textarea></form>";
  return page + "</body></html>";
}

live::TLiveResponse Answer(long status, std::string body) {
  live::TLiveResponse response;
  response.Status = status;
  response.Body = std::move(body);
  return response;
}

live::TLiveResponse Failure(live::TLiveError error, std::string message) {
  live::TLiveResponse response;
  response.Error = error;
  response.Message = std::move(message);
  return response;
}

}  // namespace halvane::liverun::testing
