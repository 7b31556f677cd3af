#pragma once
// Stand-ins for a live run's sources: a search engine, a page fetcher with
// worker threads and delays, an authority service and a rank list, all in
// memory; and a listener that records what a run reports.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "liverun/LiveColumns.h"
#include "liverun/TLiveRunListener.h"
#include "liverun/TLiveRunParts.h"

namespace halvane::liverun::testing {

class TFakeHarvest : public TSearchBackEnd {
 public:
  std::vector<std::string> Addresses;
  std::string Error;
  bool HangUntilStop = false;  // never ends on its own
  std::function<void()> OnStart;  // called by Start, on the run's thread
  std::atomic<int> Starts{0};
  std::string LastQuery;
  std::size_t LastMax = 0;

  std::string Name() const override { return "FakeEngine"; }
  void Start(std::string query, std::size_t maxAddresses, TProgressHandler progress, TDoneHandler done) override;
  void Stop() override;
  ~TFakeHarvest() override;

 private:
  std::thread FThread;
  std::mutex FLock;
  std::condition_variable FWake;
  bool FStop = false;
};

struct TFakePage {
  live::TLiveResponse Response;
  int DelayMs = 0;
};

class TFakeFetcher : public TPageFetcher {
 public:
  explicit TFakeFetcher(int parallel);
  ~TFakeFetcher() override;
  std::map<std::string, TFakePage> Pages;  // set before the run; unknown: HTTP 404
  void Fetch(std::string url, TDone done) override;
  void AbortAll() override;
  int MostAtOnce() const { return FMostAtOnce.load(); }
  // How often url was asked for.
  int Fetched(const std::string& url);

 private:
  struct TJob {
    std::string Url;
    TDone Done;
  };
  void Work();
  std::mutex FLock;
  std::condition_variable FWake;
  std::deque<TJob> FJobs;
  std::map<std::string, int> FFetched;
  std::uint64_t FAbortGeneration = 0;
  bool FQuit = false;
  std::atomic<int> FAtOnce{0};
  std::atomic<int> FMostAtOnce{0};
  std::vector<std::thread> FWorkers;
};

class TFakeAuthority : public TAuthorityLookup {
 public:
  std::map<std::string, int> Figures;
  std::size_t Batch = 3;
  int FailFromCall = -1;  // calls from this one (0 based) answer an error
  int DelayMs = 2;
  std::string Note;  // said with every answer
  std::vector<std::vector<std::string>> Calls;  // under FLock

  ~TFakeAuthority() override;
  std::string Name() const override { return "FakeRank"; }
  std::size_t MaxBatch() const override { return Batch; }
  void Lookup(std::vector<std::string> domains, TDone done) override;
  std::vector<std::vector<std::string>> CallsMade();
  // Waits (a safety limit of a minute, not a measurement) until count
  // answers have been handed to the run.
  bool WaitForAnswers(int count);

 private:
  std::mutex FLock;
  std::condition_variable FAnswered;
  int FAnswers = 0;
  std::vector<std::thread> FThreads;
};

class TFakeRanking : public TRankLookup {
 public:
  std::map<std::string, std::string> Cells;  // by address, as shown: "1,234"
  std::string Said;                           // its Note
  std::string Name() const override { return "FakeList"; }
  std::optional<std::uint32_t> Rank(std::string_view url) override;
  std::string Note() const override { return Said; }
};

using TLiveRow = std::array<std::string, kLiveColumnCount>;

class TRecorder : public TLiveRunListener {
 public:
  void RowAdded(std::size_t row, const TLiveResult& result) override;
  void ResultChanged(std::size_t row, const TLiveResult& result) override;
  void PageSettled(const TPageOutcome& outcome) override;
  void StatusText(const std::string& text) override;
  void Progress(std::size_t done, std::size_t total) override;
  void Finished(const TLiveRunSummary& summary) override;

  // Each row's cells as the column table writes them.
  std::vector<TLiveRow> Rows();
  std::vector<TLiveResult> Results();
  std::vector<TPageOutcome> Outcomes();
  std::vector<std::string> Statuses();
  // Wait (a safety limit of a minute, not a measurement) until so many rows
  // were reported, or a status with this text.
  bool WaitForRows(std::size_t count);
  bool WaitForStatus(const std::string& text);
  TLiveRunSummary Summary();
  int FinishedCalls();
  // A report out of order: a row index skipped, a cell for an unknown row,
  // a call after Finished.
  std::vector<std::string> Faults();

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  std::vector<TLiveResult> FRows;
  std::vector<TPageOutcome> FOutcomes;
  std::vector<std::string> FStatuses;
  std::vector<std::string> FFaults;
  TLiveRunSummary FSummary;
  int FFinished = 0;
};

// A page the classic test keeps: WordPress, no nofollow, a link to domain
// (or none when domain is empty).
std::string QualifyingPage(const std::string& linkDomain, const std::string& anchor);
live::TLiveResponse Answer(long status, std::string body);
live::TLiveResponse Failure(live::TLiveError error, std::string message);

}  // namespace halvane::liverun::testing
