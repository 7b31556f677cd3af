#pragma once
// What halvane-harvest does once its sources are made: one live run per
// keyword, rows appended, the table written at the end.
#include <atomic>
#include <ostream>

#include "liverun/HarvestArguments.h"
#include "liverun/LiveOutput.h"
#include "liverun/TLiveRunParts.h"
#include "liverun/TProgressReport.h"

namespace halvane::liverun {

inline constexpr int kHarvestFinished = 0;
inline constexpr int kHarvestSourceFailed = 1;  // or the output could not be written
inline constexpr int kHarvestBadArguments = 2;  // or a bad sources file
inline constexpr int kHarvestInterrupted = 130; // Ctrl-C: the rows so far are written

struct THarvestConsole {
  std::ostream& Out;  // the table when no output file is named
  std::ostream& Err;  // errors and progress
  TProgressReport::TStyle Style;
};

// interrupted is polled every few milliseconds; once set, the run under way
// stops and the rows found so far are written.
int RunHarvest(const THarvestOptions& options, TLiveRunParts& parts, THarvestConsole console,
               const std::atomic<bool>& interrupted);

// The table of finished runs: the live captions, with "Keyword" first when
// several keywords were asked.
TLiveTable HarvestTable(bool severalKeywords);

}  // namespace halvane::liverun
