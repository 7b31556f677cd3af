#pragma once
// A service's answer from fuzz bytes: the first two bytes choose the status
// (200 most of the time, else an error status) and the headers (Retry-After,
// or Brave's X-RateLimit-Remaining and -Reset from the body's first line),
// the rest is the body.
#include <cstddef>
#include <cstdint>
#include <string>

#include "live/TLiveResponse.h"

namespace halvane::sources::fuzz {

inline live::TLiveResponse AnswerOf(const std::uint8_t* data, std::size_t size) {
  static constexpr long kStatuses[] = {200, 200, 200, 200, 400, 401, 403, 404, 422, 429, 500, 503};
  live::TLiveResponse response;
  response.Status = size > 0 ? kStatuses[data[0] % (sizeof kStatuses / sizeof kStatuses[0])] : 200;
  if (size > 1 && data[1] % 4 == 0) response.Headers.emplace_back("Retry-After", std::string(1, static_cast<char>(data[1])));
  const std::size_t skip = size < 2 ? size : 2;
  response.Body.assign(reinterpret_cast<const char*>(data) + skip, size - skip);
  if (size > 1 && data[1] % 4 == 1) {
    const std::string line = response.Body.substr(0, response.Body.find('\n'));
    const std::size_t half = line.size() / 2;
    response.Headers.emplace_back("X-RateLimit-Remaining", line.substr(0, half));
    response.Headers.emplace_back("X-RateLimit-Reset", line.substr(half));
  }
  return response;
}

}  // namespace halvane::sources::fuzz
