#pragma once
// Reading one key of an INI file, as the Windows profile reader does.
#include <cstddef>
#include <string>
#include <string_view>

namespace halvane::platform {

// Files larger than this read as empty: they are not what we wrote or expect.
inline constexpr std::size_t kIniFileSizeLimit = 64 * 1024;

// The value of key in section of the INI file at path. Section and key names
// match without regard to ASCII case; the value is trimmed of blanks and
// control characters and loses one pair of enclosing quotes; it is never
// split at commas. Lines end in CR LF, LF or CR; lines starting with ";" are
// comments. The first matching section and key win. A missing or unreadable
// file, section or key, or a file over kIniFileSizeLimit, reads as empty.
std::string ReadIniValue(const std::string& path, std::string_view section, std::string_view key);

// The same on a text already in memory (cut at its first NUL byte).
std::string ReadIniValueFromText(std::string_view text, std::string_view section,
                                 std::string_view key);

}  // namespace halvane::platform
