#pragma once
// File questions every library asks.
#include <string>

namespace halvane {

// True when path names a regular file (a folder or a missing path is not).
bool FileExists(const std::string& path);

}  // namespace halvane
