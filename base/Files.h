#pragma once
// File questions every library asks.
#include <string>

namespace halvane {

// True when path names a regular file (a folder or a missing path is not).
bool FileExists(const std::string& path);

// The user's folder of one kind, as the XDG base directory rules find it:
// the variable's value when it is an absolute path (a relative one is
// ignored), else HOME (or the password database's home) and belowHome
// ("XDG_CONFIG_HOME", ".config" -> "/home/you/.config"). "" when neither is
// known.
std::string XdgFolder(const char* variable, const char* belowHome);

}  // namespace halvane
