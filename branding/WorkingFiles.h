#pragma once
// File work of the settings operations: owner-only working copies, whole-file
// reads, and replacing a file so that an interruption leaves either the old
// or the new one whole. Failures throw std::system_error naming the path.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/Files.h"

namespace halvane {

// Creates path empty (truncating an existing file), readable and writable by
// the owner only.
void CreatePrivateFile(const std::string& path);

// Size in bytes of the file at path; throws when it cannot be examined.
std::uint64_t FileSizeOf(const std::string& path);

// The whole content of path.
std::string ReadWholeFile(const std::string& path);

// Writes content to path, replacing it; created with the default mode.
void WriteWholeFile(const std::string& path, std::string_view content);

// Removes path if it exists; never throws.
void RemoveFileQuietly(const std::string& path) noexcept;

// Lets write fill a new file beside destination (it gets the mode of an
// older destination) and, when write returns true, flushes it and renames it
// over destination, so that an interruption leaves either the old or the new
// file whole. When write returns false or throws, destination is untouched.
bool ReplaceFileThrough(const std::string& destination,
                        const std::function<bool(const std::string& temporary)>& write);

}  // namespace halvane
