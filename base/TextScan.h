#pragma once
// The one home of the byte-text helpers every library shares: trimming,
// case folding of A-Z and comparisons without regard to it, whole numbers,
// removal of a text, splitting at a separator, "$XX" escapes.
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

// Removes bytes of value 0x20 and below (blanks and control characters)
// from both ends.
std::string_view TrimBlanks(std::string_view text) noexcept;

// Removes spaces, tabs, carriage returns and line feeds from both ends: the
// white space around a header value, a line of a file or a field.
std::string_view TrimWhiteSpace(std::string_view text) noexcept;

// A-Z turned to a-z; every other byte unchanged.
std::string AsciiLowerCase(std::string_view text);

// True when text begins with prefix, A-Z and a-z folded.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept;
// Equal, A-Z and a-z folded.
bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;
// Does text contain part, A-Z and a-z folded.
bool ContainsNoCase(std::string_view text, std::string_view part) noexcept;

// text as a signed 32-bit decimal number (an optional sign, then digits
// only); anything else, out of range included, gives 0.
int Int32OrZero(std::string_view text) noexcept;

// Every occurrence of what removed in one pass from left to right; text
// that forms an occurrence only after a removal stays.
std::string RemoveAll(std::string_view text, std::string_view what);

// Cuts text at every separator byte into parts (cleared first). Every
// separator closes a part, empty ones included; a trailing part is kept only
// when it is not empty.
void SplitString(char separator, std::string_view text, std::vector<std::string>& parts);

// Turns each "$" followed by one or two hexadecimal digits into that byte.
// A malformed escape makes the whole result empty.
std::string DecodeHexEscapes(std::string_view text);

}  // namespace halvane
