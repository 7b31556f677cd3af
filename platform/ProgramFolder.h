#pragma once
// The folder of the running executable, where every file that belongs to the
// installation lives.
#include <string>

namespace halvane::platform {

// The folder of the running executable, ending in a path separator.
std::string ProgramFolder();

}  // namespace halvane::platform
