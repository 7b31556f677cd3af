#include "tools/harvest/TRowCollector.h"

#include "tools/harvest/TakeReports.h"


namespace halvane::harvest {

using liverun::TLiveResult;

void TRowCollector::RowAdded(std::size_t, const TLiveResult& result) {
  FMailbox.Post([this, result] {
    FRows.push_back(result);
    FReport.Counts(FFound, FJudged, FRows.size());
  });
}

void TRowCollector::ResultChanged(std::size_t row, const TLiveResult& result) {
  FMailbox.Post([this, row, result] {
    if (row < FRows.size()) FRows[row] = result;
  });
}

void TRowCollector::PageSettled(const liverun::TPageOutcome& outcome) {
  FMailbox.Post([this, outcome] { FOutcomes.push_back(outcome); });
}

void TRowCollector::StatusText(const std::string& text) {
  FMailbox.Post([this, text] { FReport.Status(text); });
}

void TRowCollector::Progress(std::size_t done, std::size_t total) {
  FMailbox.Post([this, done, total] {
    FJudged = done;
    FFound = total;
    FReport.Counts(FFound, FJudged, FRows.size());
  });
}

void TRowCollector::Finished(const liverun::TLiveRunSummary& summary) {
  FMailbox.Post([this, summary] {
    FSummary = summary;
    FFinished = true;
  });
}

void TRowCollector::TakeReportsUntilFinished(liverun::TLiveRun& run, const std::atomic<bool>& interrupted) {
  TakeReportsUntil(FMailbox, [this] { return FFinished; }, interrupted, [&run] { run.Stop(); });
  run.Wait();
}

}  // namespace halvane::harvest
