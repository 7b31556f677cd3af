#pragma once
// What live mode remembers from one run to the next (the store): the pages
// judged before, the blacklist, and every verdict.
//
// Threads: a run calls its memory only from its own thread; the owner may
// use it again once the run has finished.
#include <string>

#include "liverun/TLiveResult.h"
#include "liverun/TPageOutcome.h"

namespace halvane::liverun {

// What the memory says of a harvested address before it is fetched.
struct TRecall {
  std::string Skip;    // why it is not fetched (kReasonBlacklisted, ...); "" to fetch it
  bool Known = false;  // judged in an earlier run: its row is not new
};

class TPageMemory {
 public:
  virtual ~TPageMemory() = default;
  // A run begins, before its first Recall. A memory that keeps runs of
  // its own (the window's) opens one here; Flush at the run's end closes it.
  virtual void Begin(const std::string& keyword, const std::string& footprint) {
    static_cast<void>(keyword);
    static_cast<void>(footprint);
  }
  // address is in its one form.
  virtual TRecall Recall(const std::string& address) = 0;
  // A page judged: its outcome and, when it has a row, the row with every
  // figure the run will learn. Pages that failed or were skipped are not
  // remembered: the next run tries them again.
  virtual void Remember(const TPageOutcome& outcome, const TLiveResult* row) = 0;
  // The run ends: everything remembered is written.
  virtual void Flush() = 0;
  // Said once the run has ended, e.g. that the store failed and the rest
  // of the run was not remembered ("" for nothing).
  virtual std::string Note() const { return {}; }
};

}  // namespace halvane::liverun
