#include "livesetup/TSessionMemory.h"

#include "store/TStoreError.h"

namespace halvane::livesetup {

TSessionMemory::TSessionMemory(std::unique_ptr<store::TStore> store, std::string engine)
    : FStore(std::move(store)), FEngine(std::move(engine)) {}

void TSessionMemory::Begin(const std::string& keyword, const std::string& footprint) {
  FRun.reset();
  FRunId = 0;
  FCounts = {};
  FError.clear();
  try {
    FRunId = FStore->BeginRun({keyword}, footprint.empty() ? std::vector<std::string>{}
                                                           : std::vector<std::string>{footprint},
                               FEngine);
    FRun = std::make_unique<TStoreMemory>(*FStore, TMemoryOptions{false, 0, FRunId});
  } catch (const store::TStoreError& failure) {
    FError = failure.what();
  }
}

liverun::TRecall TSessionMemory::Recall(const std::string& address) {
  if (!FRun) return {};
  ++FCounts.Harvested;
  liverun::TRecall recall = FRun->Recall(address);
  if (!recall.Skip.empty()) ++FCounts.Skipped;
  return recall;
}

void TSessionMemory::Remember(const liverun::TPageOutcome& outcome, const liverun::TLiveResult* row) {
  if (!FRun) return;
  ++FCounts.Judged;
  if (row) ++FCounts.Rows;
  FRun->Remember(outcome, row);
}

void TSessionMemory::Flush() {
  if (!FRun) return;
  FRun->Flush();
  if (FError.empty()) FError = FRun->Error();
  try {
    FStore->EndRun(FRunId, FCounts);
  } catch (const store::TStoreError& failure) {
    if (FError.empty()) FError = failure.what();
  }
}

std::string TSessionMemory::Note() const {
  return FError.empty() ? std::string() : "not remembered: " + FError;
}

}  // namespace halvane::livesetup
