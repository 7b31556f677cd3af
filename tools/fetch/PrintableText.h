#pragma once
// A server's text (status line, message) as a terminal can show it safely.
#include <string>
#include <string_view>

namespace halvane {

// The backslash as "\\", every byte outside printable ASCII (control bytes,
// terminal escape sequences, 8-bit controls) as "\xNN".
std::string PrintableText(std::string_view text);

}  // namespace halvane
