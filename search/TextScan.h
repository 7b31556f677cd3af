#pragma once
// Byte-text helpers of the search, the analysis and the news client:
// trimming, case folding of A-Z, whole numbers, removal of a text.
#include <string>
#include <string_view>

namespace halvane {

// Removes bytes of value 0x20 and below (blanks and control characters)
// from both ends.
std::string_view TrimBlanks(std::string_view text) noexcept;

// A-Z turned to a-z; every other byte unchanged.
std::string AsciiLowerCase(std::string_view text);

// True when text begins with prefix, A-Z and a-z folded.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept;

// text as a signed 32-bit decimal number (an optional sign, then digits
// only); anything else, out of range included, gives 0.
int Int32OrZero(std::string_view text) noexcept;

// Every occurrence of what removed in one pass from left to right; text
// that forms an occurrence only after a removal stays.
std::string RemoveAll(std::string_view text, std::string_view what);

}  // namespace halvane
