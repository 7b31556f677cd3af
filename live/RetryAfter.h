#pragma once
// The Retry-After header of a 429 or 503 answer: delay seconds or an HTTP date.
#include <ctime>
#include <optional>
#include <string_view>

#include "live/TLiveResponse.h"

namespace halvane::live {

// Seconds to wait from now (0 for a date in the past); nothing when value is
// neither form. Large delays are clamped to a day.
std::optional<long> RetryAfterSeconds(std::string_view value, std::time_t now);

// The client's rule for a 429 or 503 answer after attempt attempts: asked
// again at most twice, after its Retry-After when that is within a minute,
// else (no Retry-After) after 1 s, then 2 s; nothing when not asked again.
std::optional<long> RetryWaitSeconds(const TLiveResponse& response, int attempt);

}  // namespace halvane::live
