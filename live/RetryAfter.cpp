#include "live/RetryAfter.h"

#include <curl/curl.h>

#include <string>

namespace halvane::live {

namespace {

constexpr long kLongest = 24L * 3600;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<long> RetryAfterSeconds(std::string_view value, std::time_t now) {
  value = Trim(value);
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

}  // namespace halvane::live
