#pragma once
// What a live run reports. Every call comes from the run's own thread, one at
// a time, in the order things happened; a window marshals them to its thread.
#include <cstddef>
#include <string>

#include "liverun/LiveColumns.h"

namespace halvane::liverun {

struct TLiveRunSummary {
  std::size_t Rows = 0;
  std::size_t PagesFound = 0;
  std::size_t PagesJudged = 0;
  std::size_t RobotsSkipped = 0;  // refused by robots.txt: no row
  std::size_t PagesFailed = 0;    // no answer, or not 2xx
  std::string SourceError;        // the first source that failed, and why
  bool Stopped = false;
};

class TLiveRunListener {
 public:
  virtual ~TLiveRunListener() = default;
  // Rows are added in harvest order; row counts from 0 within the run.
  virtual void RowAdded(std::size_t row, const TLiveRow& cells) = 0;
  virtual void CellSet(std::size_t row, int column, const std::string& text) = 0;
  virtual void StatusText(const std::string& text) = 0;
  // Pages judged of pages found (total 0 while harvesting).
  virtual void Progress(std::size_t done, std::size_t total) = 0;
  // The last call of a run.
  virtual void Finished(const TLiveRunSummary& summary) = 0;
};

}  // namespace halvane::liverun
