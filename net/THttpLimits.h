#pragma once
// Limits on one exchange of the HTTP client, for callers that have no Stop
// button behind them (the update check, the news requests) and caps on what
// a download may bring. -1: no limit, as the classic client has none.
#include <cstdint>

namespace halvane {

struct THttpLimits {
  // Bytes of the final response's body; more is a ResponseTooLarge failure.
  std::int64_t MaxBody = -1;
  // Milliseconds without a byte from the server; then a ReadTimeout.
  int IdleMs = -1;
  // Milliseconds for the whole exchange, connecting and redirects included,
  // however the bytes trickle in; then a ReadTimeout.
  int TotalMs = -1;
};

}  // namespace halvane
