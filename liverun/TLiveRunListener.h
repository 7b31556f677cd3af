#pragma once
// What a live run reports. Every call comes from the run's own thread, one at
// a time, in the order things happened; a window marshals them to its thread.
#include <cstddef>
#include <string>
#include <string_view>

#include "liverun/TLiveResult.h"
#include "liverun/TPageOutcome.h"

namespace halvane::liverun {

struct TLiveRunSummary {
  std::size_t Rows = 0;
  std::size_t PagesFound = 0;
  std::size_t PagesJudged = 0;
  std::size_t Nofollow = 0;       // every comment link nofollow: no row
  std::size_t NotWordPress = 0;
  std::size_t Duplicates = 0;     // the same page as an earlier address
  std::size_t RobotsSkipped = 0;  // refused by robots.txt: no row
  std::size_t PagesFailed = 0;    // no answer, or not 2xx
  std::size_t Blacklisted = 0;    // on the blacklist: never fetched
  std::size_t JudgedRecently = 0; // judged in an earlier run, left out
  std::string SourceError;        // the first source that failed, and why
  std::string Note;               // a source's word to the user (a rebuilt index)
  bool Stopped = false;
};

class TLiveRunListener {
 public:
  virtual ~TLiveRunListener() = default;
  // Rows are added in harvest order; row counts from 0 within the run.
  virtual void RowAdded(std::size_t row, const TLiveResult& result) = 0;
  // A figure of a reported row arrived (the authority comes in batches).
  virtual void ResultChanged(std::size_t row, const TLiveResult& result) = 0;
  // Each judged address once, in the order the answers came.
  virtual void PageSettled(const TPageOutcome& outcome) = 0;
  virtual void StatusText(const std::string& text) = 0;
  // Pages judged of pages found (total 0 while harvesting).
  virtual void Progress(std::size_t done, std::size_t total) = 0;
  // The last call of a run.
  virtual void Finished(const TLiveRunSummary& summary) = 0;
};

}  // namespace halvane::liverun
