#pragma once
// Replacing a file so that it is either the old file or the whole new one.
#include <string>
#include <string_view>

namespace halvane::platform {

// Writes bytes to a new temporary file in the folder of path, flushes it to
// disk and renames it over path. Returns false on any failure (folder not
// writable, disk full, path is a folder, ...); the temporary file is then
// removed, a file already at path is left untouched, and errno says why
// (for strerror). Never throws.
bool WriteFileAtomically(const std::string& path, std::string_view bytes) noexcept;

// The same, the new file getting exactly the permission bits mode (e.g.
// 0600 for a file that holds keys), whatever the umask.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) noexcept;

}  // namespace halvane::platform
