#pragma once
// Small list and shell helpers shared by the settings reader, the results
// list and the news client.
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

// Cuts text at every separator byte into parts (cleared first). Every
// separator closes a part, empty ones included; a trailing part is kept only
// when it is not empty.
void SplitString(char separator, std::string_view text, std::vector<std::string>& parts);

// Turns each "$" followed by one or two hexadecimal digits into that byte.
// A malformed escape makes the whole result empty.
std::string DecodeHexEscapes(std::string_view text);

// Opens address in the web browser registered for "http". Returns false when
// no browser is registered; whether the start succeeded is not examined.
bool OpenInBrowser(std::string_view address);

}  // namespace halvane
