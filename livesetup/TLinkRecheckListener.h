#pragma once
// What a TLinkRecheck reports. Calls come one at a time, in order, on the
// re-check's own thread, never under one of its locks.
#include <cstddef>
#include <vector>

#include "livesetup/LinkCheck.h"

namespace halvane::livesetup {

class TLinkRecheckListener {
 public:
  virtual ~TLinkRecheckListener() = default;
  // done of total pages have answered: (0, total) once the links are read,
  // then as answers arrive (several may come as one call), last (total,
  // total). Not called after a Stop.
  virtual void Progress(std::size_t done, std::size_t total) = 0;
  // The last call. lines: every page in the order the links were added,
  // each recorded in the store; none when stopped or when reading the
  // links failed, those recorded so far when recording failed.
  virtual void Finished(const std::vector<TRecheckLine>& lines, const TLinkRecheckSummary& summary) = 0;
};

}  // namespace halvane::livesetup
