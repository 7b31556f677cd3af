#pragma once
// Small text helpers of the HTTP layer: header trimming, numbers. Case
// folding and comparisons come from base/TextScan.h.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/TextScan.h"

namespace halvane {

// Without blanks, tabs, CR and LF at both ends.
std::string_view TrimHeaderBlanks(std::string_view text) noexcept;
// A whole decimal number of digits alone (no sign); none on overflow.
std::optional<std::int64_t> ParseDecimal(std::string_view text) noexcept;
// A whole hexadecimal number; none when empty, not hexadecimal or too large.
std::optional<std::int64_t> ParseHex(std::string_view text) noexcept;
// True when text holds a byte below 0x20 (other than tab) or 0x7F.
bool HasControlBytes(std::string_view text) noexcept;

}  // namespace halvane
