#include "tools/harvest/TRowCollector.h"

namespace halvane::harvest {

using liverun::TLiveResult;

void TRowCollector::RowAdded(std::size_t, const TLiveResult& result) {
  std::lock_guard lock(FLock);
  FRows.push_back(result);
  FReport.Counts(FFound, FJudged, FRows.size());
}

void TRowCollector::ResultChanged(std::size_t row, const TLiveResult& result) {
  std::lock_guard lock(FLock);
  if (row < FRows.size()) FRows[row] = result;
}

void TRowCollector::PageSettled(const liverun::TPageOutcome& outcome) {
  std::lock_guard lock(FLock);
  FOutcomes.push_back(outcome);
}

void TRowCollector::StatusText(const std::string& text) { FReport.Status(text); }

void TRowCollector::Progress(std::size_t done, std::size_t total) {
  std::lock_guard lock(FLock);
  FJudged = done;
  FFound = total;
  FReport.Counts(FFound, FJudged, FRows.size());
}

void TRowCollector::Finished(const liverun::TLiveRunSummary& summary) {
  std::lock_guard lock(FLock);
  FSummary = summary;
}

std::vector<liverun::TPageOutcome> TRowCollector::Outcomes() {
  std::lock_guard lock(FLock);
  return FOutcomes;
}

std::vector<TLiveResult> TRowCollector::Rows() {
  std::lock_guard lock(FLock);
  return FRows;
}

liverun::TLiveRunSummary TRowCollector::Summary() {
  std::lock_guard lock(FLock);
  return FSummary;
}

}  // namespace halvane::harvest
