#pragma once
// The Retry-After header of a 429 or 503 answer: delay seconds or an HTTP date.
#include <ctime>
#include <optional>
#include <string_view>

namespace halvane::live {

// Seconds to wait from now (0 for a date in the past); nothing when value is
// neither form. Large delays are clamped to a day.
std::optional<long> RetryAfterSeconds(std::string_view value, std::time_t now);

}  // namespace halvane::live
