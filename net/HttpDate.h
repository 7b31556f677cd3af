#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace halvane {

// Seconds since 1970-01-01 00:00 UTC of an HTTP date in any of its usual
// forms (RFC 1123 "Sun, 06 Nov 1994 08:49:37 GMT", RFC 850
// "Sunday, 06-Nov-94 08:49:37 GMT", asctime "Sun Nov  6 08:49:37 1994",
// cookie "Sun, 06-Nov-1994 08:49:37 GMT"); none when it is not a date.
std::optional<std::int64_t> ParseHttpDate(std::string_view text) noexcept;

}  // namespace halvane
