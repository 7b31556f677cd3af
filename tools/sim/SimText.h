#pragma once
// Small text and hashing helpers of the simulated web.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvane::sim {

// A stable 64-bit hash of a byte string, and a mix of numbers into it: the
// whole simulated web is drawn from these, so it never depends on the
// standard library's hash.
std::uint64_t HashText(std::string_view text, std::uint64_t seed = 0);
std::uint64_t MixNumbers(std::initializer_list<std::uint64_t> values);

// The pieces of text between separators (empty ones included); views into text.
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
// Removes bytes of value 0x20 or below at both ends.
std::string_view TrimControl(std::string_view text);
bool ContainsText(std::string_view haystack, std::string_view needle);

// Decodes "%XX" escapes and, when plusIsBlank, "+" as a blank. A malformed
// escape is kept as it stands.
std::string DecodePercent(std::string_view text, bool plusIsBlank);
// Percent-encodes every byte except letters, digits and "-._".
std::string EncodePercent(std::string_view text);
// Escapes the HTML metacharacters & < > " '.
std::string EscapeHtml(std::string_view text);

// The raw value of query item key in a request target ("" when absent), undecoded.
std::string_view QueryValue(std::string_view target, std::string_view key);

// A decimal number 0..max without sign or blanks; nothing else.
std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::uint64_t max);
// 1234567 gives "1,234,567".
std::string GroupThousands(std::uint64_t value);

// The page names the program derives from an address for its rank queries:
// every "http://", then "https://", then "www." removed; the home variant
// first drops one trailing "/".
std::string StripAddressPrefixes(std::string_view address);
std::string StripHomeAddressPrefixes(std::string_view address);
// "http://" + the host part (with port) of address, as the program forms a
// home page address.
std::string HomePageAddress(std::string_view address);

}  // namespace halvane::sim
