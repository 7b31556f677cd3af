#pragma once
// What halvane-harvest's search and judge do once their sources are made:
// one live run per keyword and footprint (or one over the list to judge),
// rows appended, the table written at the end.
#include <atomic>
#include <ostream>

#include "liverun/TLiveRunParts.h"
#include "store/TStore.h"
#include "tools/harvest/HarvestArguments.h"
#include "tools/harvest/HarvestExitCodes.h"
#include "tools/harvest/OutputFile.h"
#include "tools/harvest/TProgressReport.h"

namespace halvane::harvest {

struct THarvestConsole {
  std::ostream& Out;  // the table when no output file is named
  std::ostream& Err;  // errors and progress
  TProgressReport::TStyle Style;
  std::size_t Width = 0;  // the terminal's columns the bar fits (0: not a terminal)
};

// The output file is checked first (kHarvestBadArguments when it cannot be
// written). interrupted is polled every few milliseconds; once set, the run
// under way stops and the rows found so far are written. A run that ends
// (failed or interrupted) before any row writes nothing: an earlier output
// file stays as it was. With a store, the runs and every verdict are
// recorded as they come, the blacklist is obeyed, --new-only skips what
// was judged recently, and each row says whether it is new.
int RunHarvest(const THarvestOptions& options, liverun::TLiveRunParts& parts, THarvestConsole console,
               const std::atomic<bool>& interrupted, store::TStore* store = nullptr);

}  // namespace halvane::harvest
