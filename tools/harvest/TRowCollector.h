#pragma once
// Keeps one run's rows and what became of each address, and feeds the
// progress report. The run's thread reports; the owner reads once the run
// has finished (or at any time: every call takes the lock).
#include <mutex>
#include <vector>

#include "liverun/TLiveRunListener.h"
#include "tools/harvest/TProgressReport.h"

namespace halvane::harvest {

class TRowCollector : public liverun::TLiveRunListener {
 public:
  explicit TRowCollector(TProgressReport& report) : FReport(report) {}

  void RowAdded(std::size_t row, const liverun::TLiveResult& result) override;
  void ResultChanged(std::size_t row, const liverun::TLiveResult& result) override;
  void PageSettled(const liverun::TPageOutcome& outcome) override;
  void StatusText(const std::string& text) override;
  void Progress(std::size_t done, std::size_t total) override;
  void Finished(const liverun::TLiveRunSummary& summary) override;

  std::vector<liverun::TPageOutcome> Outcomes();
  std::vector<liverun::TLiveResult> Rows();
  liverun::TLiveRunSummary Summary();

 private:
  TProgressReport& FReport;
  std::mutex FLock;
  std::vector<liverun::TLiveResult> FRows;
  std::vector<liverun::TPageOutcome> FOutcomes;
  std::size_t FFound = 0;
  std::size_t FJudged = 0;
  liverun::TLiveRunSummary FSummary;
};

}  // namespace halvane::harvest
