#pragma once
// File work of the settings operations: owner-only working copies, whole-file
// reads, and replacing a file so that an interruption leaves either the old
// or the new one whole. Failures throw std::system_error naming the path.
#include <cstdint>
#include <string>
#include <string_view>

namespace halvane {

// Creates path empty (truncating an existing file), readable and writable by
// the owner only.
void CreatePrivateFile(const std::string& path);

// Whether path names a regular file.
bool FileExists(const std::string& path);
// Size in bytes of the file at path; throws when it cannot be examined.
std::uint64_t FileSizeOf(const std::string& path);

// The whole content of path.
std::string ReadWholeFile(const std::string& path);

// Writes content to path, replacing it; created with the default mode.
void WriteWholeFile(const std::string& path, std::string_view content);

// Removes path if it exists; never throws.
void RemoveFileQuietly(const std::string& path) noexcept;

// A new empty file in folder (ending in "/") whose name starts with prefix,
// with permissions copied from modelPath when that file exists.
std::string CreateTemporaryBeside(const std::string& folder, std::string_view prefix,
                                  const std::string& modelPath);

// Flushes temporary to the disk and renames it over target, then flushes
// target's folder so that the rename itself is durable.
void CommitReplacement(const std::string& temporary, const std::string& target);

}  // namespace halvane
