#pragma once
// A readable listing of a script image: header fields, tables and code.
#include <cstdint>
#include <string>
#include <vector>

namespace halvane {

// Lists image; a damaged image is listed as far as it can be read, with a
// note where the listing stops.
std::string DisassembleScript(const std::vector<std::uint8_t>& image);

}  // namespace halvane
