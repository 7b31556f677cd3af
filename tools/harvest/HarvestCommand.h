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

// The output file is checked first (kHarvestBadArguments when it cannot be
// written). interrupted is polled every few milliseconds; once set, the run
// under way stops and the rows found so far are written. A run that ends
// (failed or interrupted) before any row writes nothing: an earlier output
// file stays as it was.
int RunHarvest(const THarvestOptions& options, TLiveRunParts& parts, THarvestConsole console,
               const std::atomic<bool>& interrupted);

// Why path cannot take the output, for the user ("" when it can): its
// folder is missing, not a folder or not writable, or path is a folder or
// another kind of special file (a FIFO, a device).
std::string OutputFileProblem(const std::string& path);

}  // namespace halvane::liverun
