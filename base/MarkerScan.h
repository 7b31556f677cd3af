#pragma once
// Sequential marker scanning and query-text encoding, shared by the settings
// reader, the search harvest, the item analysis and the live sources.
#include <cstddef>
#include <string>
#include <string_view>

namespace halvane {

// Position of the first occurrence of needle in haystack at or after from,
// folding only the ASCII letters; npos when there is none.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle,
                       std::size_t from = 0) noexcept;

// Reads the text between openMarker and closeMarker and consumes document up
// to the closing marker, which stays at its front (markers compared without
// regard to ASCII case). Missing opening marker: empty value, document left
// as it was. Missing closing marker: empty value, document starts after the
// opening marker. document is a view into text the caller keeps alive, so a
// loop over a page costs time linear in the page.
std::string ExtractBetween(std::string_view& document, std::string_view openMarker,
                           std::string_view closeMarker);

// Makes text safe for the query part of an address: letters and "*-.@_"
// stay, a blank becomes "+", every other byte "%XX"; stops at a NUL byte.
std::string EncodeForUrl(std::string_view text);

}  // namespace halvane
