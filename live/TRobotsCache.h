#pragma once
// robots.txt per scheme+host+port, kept for the client's life (at most a
// day): which origins are known or being fetched, and what each allows.
// 4xx means everything is allowed; 5xx, 429 or no answer means the host is
// skipped. Used by the client's worker thread only.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "live/TLiveResponse.h"
#include "live/TRobotsRules.h"

namespace halvane::live {

class TRobotsCache {
 public:
  using TClock = std::chrono::steady_clock;
  enum class TState { Unknown, Fetching, Known };

  explicit TRobotsCache(std::string productToken, TClock::duration maxAge = std::chrono::hours(24));

  // Unknown also when the entry is older than the longest age.
  TState State(const std::string& origin, TClock::time_point now) const;
  void MarkFetching(const std::string& origin);
  // The fetch was abandoned: the next page of origin fetches again.
  void Forget(const std::string& origin);
  // The answer to GET <origin>/robots.txt.
  void Store(const std::string& origin, const TLiveResponse& answer, TClock::time_point now);
  // For a Known origin: nothing when the page may be fetched, else the
  // response the page request completes with (RobotsDisallowed or
  // RobotsUnavailable, with its message).
  std::optional<TLiveResponse> Refusal(const std::string& origin, const std::string& host,
                                       std::string_view pathAndQuery) const;

 private:
  struct TEntry {
    TState State = TState::Unknown;
    TClock::time_point Fetched;
    bool Unavailable = false;
    std::string Why;  // Unavailable: what went wrong
    TLiveError Cause = TLiveError::None;  // Unavailable without an answer: the fetch's error
    bool PrivateAddress = false;  // the host lies on a private address: its pages are refused for that
    TRobotsRules Rules;
  };

  std::string FProductToken;
  TClock::duration FMaxAge;
  std::unordered_map<std::string, TEntry> FEntries;
};

}  // namespace halvane::live
