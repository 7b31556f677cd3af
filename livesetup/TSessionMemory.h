#pragma once
// The memory of a program that runs one search after another over the same
// parts (the window): it owns its store, and each run is one of the store's
// runs, begun when the run begins and ended with its counts when the run
// flushes at its end. Blacklisted pages are skipped; every page is judged
// again (the window shows what is new rather than hiding what is not).
//
// Threads: the run's thread calls every member while a run is under way;
// the owner may use it again once the run has finished.
#include <memory>
#include <string>

#include "livesetup/TStoreMemory.h"
#include "store/TStore.h"

namespace halvane::livesetup {

class TSessionMemory : public liverun::TPageMemory {
 public:
  // engine: the search engine's name, kept with each run.
  TSessionMemory(std::unique_ptr<store::TStore> store, std::string engine);

  void Begin(const std::string& keyword, const std::string& footprint) override;
  liverun::TRecall Recall(const std::string& address) override;
  void Remember(const liverun::TPageOutcome& outcome, const liverun::TLiveResult* row) override;
  void Flush() override;
  std::string Note() const override;

 private:
  std::unique_ptr<store::TStore> FStore;
  std::string FEngine;
  std::unique_ptr<TStoreMemory> FRun;  // the run under way, if the store took it
  std::int64_t FRunId = 0;
  store::TRunCounts FCounts;
  std::string FError;  // the first failure of the store in this run
};

}  // namespace halvane::livesetup
