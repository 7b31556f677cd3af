#pragma once
// Small text helpers of the page test: rel tokens, the anchor's white
// space, repair of broken UTF-8 and UTF-16 turned into UTF-8 (ASCII case folding is in base/TextScan.h).
#include <string>
#include <string_view>

namespace halvane::pagetest {

// HTML's ASCII white space: blank, tab, line feed, form feed, carriage return.
bool IsHtmlSpace(char c) noexcept;

std::string_view TrimHtmlSpace(std::string_view text) noexcept;

// True when the white-space separated token list holds token (ASCII case
// ignored).
bool HasToken(std::string_view tokens, std::string_view token) noexcept;

// Appends text to out with each run of white space made one blank and
// leading white space dropped; a run at the end stays pending in
// pendingBlank (false to start with), so trailing white space never shows.
// Stops once out holds maxBytes; returns false then.
bool AppendCollapsed(std::string& out, bool& pendingBlank, std::string_view text, std::size_t maxBytes);

// text without an incomplete UTF-8 sequence at its end (after a cut).
std::string_view WithoutCutSequence(std::string_view text) noexcept;

// Valid UTF-8 stays as it is; each byte that starts no valid sequence
// becomes U+FFFD, and NUL becomes U+FFFD too.
std::string RepairUtf8(std::string_view text);

// UTF-16 bytes (little or big endian) as UTF-8; a lone surrogate becomes
// U+FFFD, a last odd byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace halvane::pagetest
