#pragma once
// The charset labels browsers know (the WHATWG Encoding Standard's table),
// so that a page is read as a browser reads it and nothing else (no UTF-7,
// no EBCDIC).
#include <string_view>

namespace halvane::pagetest {

// The encoding a label names ("Latin1 " -> "windows-1252", "sjis" ->
// "Shift_JIS"): the standard's name, white space around the label and
// letter case ignored; empty for an unknown label.
std::string_view EncodingOfLabel(std::string_view label) noexcept;

// The name the converter (libxml2 through iconv) knows an encoding by
// ("Shift_JIS" -> "CP932", as browsers read Windows' variant); empty for
// "replacement" and "x-user-defined", which the page test does not read.
std::string_view ConverterName(std::string_view encoding) noexcept;

}  // namespace halvane::pagetest
