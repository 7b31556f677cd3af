#pragma once
// Whether a file named on the command line can take the output.
#include <string>

namespace halvane::harvest {

// Why path cannot take the output, for the user ("" when it can): its
// folder is missing, not a folder or not writable, or path is a folder or
// another kind of special file (a FIFO, a device).
std::string OutputFileProblem(const std::string& path);

}  // namespace halvane::harvest
