#pragma once
// Keeps one run's rows and what became of each address, and feeds the
// progress report. The run's thread posts each report to this object's
// mailbox; the command's thread takes them in TakeReportsUntilFinished, so
// the rows and the progress report are that thread's own.
#include <atomic>
#include <vector>

#include "base/TMailbox.h"
#include "liverun/TLiveRun.h"
#include "liverun/TLiveRunListener.h"
#include "tools/harvest/TProgressReport.h"

namespace halvane::harvest {

class TRowCollector : public liverun::TLiveRunListener {
 public:
  explicit TRowCollector(TProgressReport& report) : FReport(report) {}

  // The run's thread.
  void RowAdded(std::size_t row, const liverun::TLiveResult& result) override;
  void ResultChanged(std::size_t row, const liverun::TLiveResult& result) override;
  void PageSettled(const liverun::TPageOutcome& outcome) override;
  void StatusText(const std::string& text) override;
  void Progress(std::size_t done, std::size_t total) override;
  void Finished(const liverun::TLiveRunSummary& summary) override;

  // The command's thread: takes the reports until the run has finished
  // and its thread has ended, stopping it once interrupted is set.
  void TakeReportsUntilFinished(liverun::TLiveRun& run, const std::atomic<bool>& interrupted);
  // After TakeReportsUntilFinished.
  std::vector<liverun::TPageOutcome>& Outcomes() { return FOutcomes; }
  std::vector<liverun::TLiveResult>& Rows() { return FRows; }
  const liverun::TLiveRunSummary& Summary() const { return FSummary; }

 private:
  TProgressReport& FReport;
  TMailbox FMailbox;
  // The command's thread's own.
  std::vector<liverun::TLiveResult> FRows;
  std::vector<liverun::TPageOutcome> FOutcomes;
  std::size_t FFound = 0;
  std::size_t FJudged = 0;
  liverun::TLiveRunSummary FSummary;
  bool FFinished = false;
};

}  // namespace halvane::harvest
