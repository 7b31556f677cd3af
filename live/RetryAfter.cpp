#include "live/RetryAfter.h"
#include "base/TextScan.h"

#include <curl/curl.h>

#include <string>

namespace halvane::live {

namespace {

constexpr long kLongest = 24L * 3600;
constexpr int kRetries = 2;              // a 429 or 503 is asked again at most twice
constexpr long kLongestRetryAfter = 60;  // seconds; a longer wait is not waited for

}  // namespace

std::optional<long> RetryAfterSeconds(std::string_view value, std::time_t now) {
  value = TrimWhiteSpace(value);
  if (value.empty()) return std::nullopt;
  if (value.find_first_not_of("0123456789") == std::string_view::npos) {
    long seconds = 0;
    for (const char c : value) {
      seconds = seconds * 10 + (c - '0');
      if (seconds > kLongest) return kLongest;
    }
    return seconds;
  }
  // An HTTP date (IMF-fixdate, or the obsolete forms), read by libcurl's
  // date parser; it wants digits and letters, so anything else is no date.
  if (value.size() > 64 || value.find('\0') != std::string_view::npos) return std::nullopt;
  const std::time_t when = curl_getdate(std::string(value).c_str(), nullptr);
  if (when == -1) return std::nullopt;
  if (when <= now) return 0L;
  const auto diff = static_cast<long long>(when) - static_cast<long long>(now);
  return diff > kLongest ? kLongest : static_cast<long>(diff);
}

std::optional<long> RetryWaitSeconds(const TLiveResponse& response, int attempt) {
  if (attempt > kRetries) return std::nullopt;
  const auto after = RetryAfterSeconds(response.Header("Retry-After"), std::time(nullptr));
  if (!after) return attempt;
  if (*after > kLongestRetryAfter) return std::nullopt;
  return *after;
}

}  // namespace halvane::live
