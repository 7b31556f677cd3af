#pragma once
// A live run's memory kept in the store: the blacklist and, with NewOnly,
// the pages judged within the last days are skipped; every verdict is
// written as the run goes, a batch at a time, so a killed run loses at most
// the pages of the batch not yet written.
//
// Threads: the run's thread calls Recall, Remember and Flush; the owner
// reads Error once the run has finished.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "liverun/TPageMemory.h"
#include "store/TStore.h"

namespace halvane::livesetup {

struct TMemoryOptions {
  bool NewOnly = false;
  int Days = 30;              // NewOnly: pages judged within so many days are skipped
  std::int64_t RunId = 0;     // the store's run the verdicts belong to
  std::size_t BatchSize = 32; // verdicts written in one transaction
};

class TStoreMemory : public liverun::TPageMemory {
 public:
  // store outlives the memory.
  TStoreMemory(store::TStore& store, TMemoryOptions options);

  liverun::TRecall Recall(const std::string& address) override;
  void Remember(const liverun::TPageOutcome& outcome, const liverun::TLiveResult* row) override;
  void Flush() override;

  // The first failure of the store ("" when none): once it failed, the run
  // goes on without it and nothing more is written.
  const std::string& Error() const { return FError; }
  // Pages skipped as judged recently, over every run so far.
  std::size_t SkippedRecently() const { return FSkippedRecently; }

 private:
  void Fail(const std::string& message);

  store::TStore& FStore;
  TMemoryOptions FOptions;
  store::TTime FSince = 0;
  std::vector<store::TVerdictRecord> FPending;
  std::chrono::steady_clock::time_point FLastWrite;
  std::string FError;
  std::size_t FSkippedRecently = 0;
};

// The store's record of one verdict of a run.
store::TVerdictRecord VerdictRecord(const liverun::TPageOutcome& outcome, const liverun::TLiveResult* row,
                                    std::int64_t runId);
// The row a recorded verdict of a kept page stands for (the way back).
liverun::TLiveResult ResultOf(const store::TVerdictRecord& verdict);

}  // namespace halvane::livesetup
