#pragma once
// One live search run: harvests the addresses for a keyword, fetches and
// judges every page, and fills each qualifying page's row with its
// authority and traffic rank. Fetches and authority batches run
// concurrently under the network client's limits; rows are reported in
// harvest order whatever order the answers come in.
//
// Threads: the run works on a thread of its own, which makes every listener
// call. Start, Stop, Wait and the destructor are for the owner's thread;
// Stop also for the listener's. After Stop the run finishes within 100 ms.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "liverun/LiveColumns.h"
#include "liverun/TLiveRunListener.h"
#include "liverun/TLiveRunParts.h"
#include "base/TMailbox.h"
#include "live/TLiveResponse.h"

namespace halvane::liverun {

struct TLiveRunInput {
  std::string Keyword;
  std::string Domain;  // as the domain box gives it: trimmed, lower case
  int Depth = 1;       // 1..10: up to Depth x 100 addresses
  // The query's form, {keyword} where the keyword goes (FootprintQuery);
  // "" for the plain query.
  std::string Footprint = {};
};

class TLiveRun {
 public:
  // parts and listener outlive the run.
  TLiveRun(TLiveRunParts& parts, TLiveRunInput input, TLiveRunListener& listener);
  ~TLiveRun();
  TLiveRun(const TLiveRun&) = delete;
  TLiveRun& operator=(const TLiveRun&) = delete;

  void Start();
  void Stop();
  // Blocks until the run has finished (Finished reported).
  void Wait();
  // Waits at most timeout; true when finished.
  bool WaitFor(std::chrono::milliseconds timeout);

 private:
  enum class TSlotState { Pending, Dropped, Ready };
  struct TSlot {
    TSlotState State = TSlotState::Pending;
    TLiveResult Result;
    std::string FinalUrl;
    std::string Reason;  // why a dropped slot has no row
    std::optional<std::size_t> Row;  // once reported
    bool Known = false;              // judged in an earlier run
    bool Remembered = false;         // handed to the memory
  };

  void Loop();
  void Begin();
  void OnHarvestProgress(TSearchProgress progress);
  void AddAddresses(std::vector<std::string>::const_iterator first, std::vector<std::string>::const_iterator last);
  void OnHarvestDone(TSearchOutcome outcome);
  void OnPage(std::size_t slot, live::TLiveResponse response);
  void OnAuthority(std::vector<std::string> batch, TAuthorityAnswer answer);
  void OnStop();
  void Judge(std::size_t slot, live::TLiveResponse response);
  void Qualified(std::size_t slot, const pagetest::TPageVerdict& verdict);
  void Drop(std::size_t slot, std::string reason);
  void Remember(std::size_t slot);
  void AskAuthority(std::size_t slot);
  void SetAuthority(std::size_t slot, std::optional<int> figure);
  void SendAuthorityBatch();
  void FetchQueuedPages();
  void ReportReadyRows();
  void ReportJudging();
  void CheckFinished();
  // Adds a source's word to the summary (once) and shows it.
  void AddNote(const std::string& note);
  void Finish();
  void Post(TMailbox::TMessage message);

  TLiveRunParts& FParts;
  TLiveRunInput FInput;
  TLiveRunListener& FListener;
  std::shared_ptr<TMailbox> FMailbox;
  std::thread FThread;
  std::atomic<bool> FStopRequested{false};
  // Set by the run's thread as its last act; WaitFor waits on it.
  std::mutex FFinishedLock;
  std::condition_variable FFinishedSignal;
  bool FFinished = false;

  // Owned by the run's thread.
  bool FHarvesting = false;
  bool FStopped = false;
  bool FDone = false;
  std::optional<TMailbox::TClock::time_point> FStopDeadline;
  std::size_t FHarvested = 0;          // addresses the harvest gave
  std::vector<std::string> FAddresses;  // by slot, in their one form
  std::set<std::string> FSeenAddresses;
  std::map<std::string, std::size_t> FPageOwners;  // a page's address -> the slot whose row it is
  std::vector<TSlot> FSlots;
  std::size_t FNextSlot = 0;
  std::size_t FPagesOut = 0;       // queued or fetching
  std::size_t FPagesFetching = 0;
  std::deque<std::size_t> FPageQueue;  // slots not yet handed to the fetcher
  std::string FHarvestName;
  bool FAuthorityFailed = false;
  bool FAuthorityInFlight = false;
  struct TAuthorityEntry {
    bool Answered = false;
    std::optional<int> Figure;
  };
  std::map<std::string, TAuthorityEntry> FAuthorityFigures;          // asked domains
  std::map<std::string, std::vector<std::size_t>> FAuthorityWaiters;  // domain -> slots
  std::vector<std::string> FAuthorityQueue;                         // not yet asked
  TLiveRunSummary FSummary;
};

// The query for keyword: footprint with every {keyword} replaced, the keyword
// and a blank in front of a footprint without one; the plain query for an
// empty footprint.
std::string FootprintQuery(std::string_view footprint, std::string_view keyword);

// "Judging 40 of 212 pages..."
std::string JudgingText(std::size_t judged, std::size_t found);
// "12 rows from 212 pages, 40 nofollow, 150 not WordPress, 2 duplicates,
// 3 pages skipped by robots.txt, 5 pages failed" and
// the failed source, for the end of a run.
std::string SummaryText(const TLiveRunSummary& summary);

}  // namespace halvane::liverun
