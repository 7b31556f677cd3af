#pragma once
// The system code page. Texts are byte strings in this code page throughout
// the program; on this platform it is Windows-1252. Only the presentation
// layer converts, and the script natives use its per-character case mapping.
#include <string>
#include <string_view>

namespace halvane::platform {

// Lower-case and upper-case forms of one character of the code page, as the
// ANSI character functions give them; values outside 0..255 come back
// unchanged.
int AnsiCharLower(int c) noexcept;
int AnsiCharUpper(int c) noexcept;

// Lower-cases every byte of text with AnsiCharLower (for comparisons without
// regard to case in the user's code page).
std::string AnsiLowerCase(std::string_view text);

// The Unicode code point of one code-page byte, and the byte of a code point
// (0 when the code page has no such character).
char32_t AnsiToCodePoint(unsigned char c) noexcept;
int CodePointToAnsi(char32_t cp) noexcept;

// True when text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text) noexcept;

// Display text: valid UTF-8 stays as it is, anything else is read as the
// code page and converted to UTF-8.
std::string BytesToUtf8(std::string_view bytes);

// Code-page bytes of a UTF-8 text typed by the user; characters the code page
// lacks become "?".
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace halvane::platform
