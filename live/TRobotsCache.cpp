#include "live/TRobotsCache.h"

#include <utility>

namespace halvane::live {

TRobotsCache::TRobotsCache(std::string productToken, TClock::duration maxAge)
    : FProductToken(std::move(productToken)), FMaxAge(maxAge) {}

TRobotsCache::TState TRobotsCache::State(const std::string& origin, TClock::time_point now) const {
  const auto it = FEntries.find(origin);
  if (it == FEntries.end()) return TState::Unknown;
  if (it->second.State == TState::Known && now - it->second.Fetched > FMaxAge) return TState::Unknown;
  return it->second.State;
}

void TRobotsCache::MarkFetching(const std::string& origin) {
  TEntry& entry = FEntries[origin];
  entry = TEntry{};
  entry.State = TState::Fetching;
}

void TRobotsCache::Forget(const std::string& origin) { FEntries.erase(origin); }

void TRobotsCache::Store(const std::string& origin, const TLiveResponse& answer, TClock::time_point now) {
  TEntry entry;
  entry.State = TState::Known;
  entry.Fetched = now;
  if (!answer.Answered()) {
    entry.Unavailable = true;
    entry.Why = answer.Message;
    entry.Cause = answer.Error;
    entry.PrivateAddress = answer.Error == TLiveError::PrivateAddress;
  } else if (answer.Status >= 200 && answer.Status < 300) {
    entry.Rules = TRobotsRules::Parse(answer.Body, FProductToken);
  } else if (answer.Status == 429 || answer.Status >= 500) {
    // A server that cannot say what it allows is not visited at all.
    entry.Unavailable = true;
    entry.Why = "HTTP " + std::to_string(answer.Status);
  }
  // Any other status (4xx, an unfollowed 3xx): no rules, everything allowed.
  FEntries[origin] = std::move(entry);
}

std::optional<TLiveResponse> TRobotsCache::Refusal(const std::string& origin, const std::string& host,
                                                   std::string_view pathAndQuery) const {
  const auto it = FEntries.find(origin);
  if (it == FEntries.end() || it->second.State != TState::Known) return std::nullopt;
  TLiveResponse refusal;
  if (it->second.PrivateAddress) {
    refusal.Error = TLiveError::PrivateAddress;
    refusal.Message = it->second.Why;
    return refusal;
  }
  if (it->second.Unavailable) {
    refusal.Error = TLiveError::RobotsUnavailable;
    refusal.RobotsCause = it->second.Cause;
    refusal.Message = "robots.txt of " + host + " could not be read: " + it->second.Why;
    return refusal;
  }
  if (it->second.Rules.Allowed(pathAndQuery)) return std::nullopt;
  refusal.Error = TLiveError::RobotsDisallowed;
  refusal.Message = "robots.txt of " + host + " disallows " + std::string(pathAndQuery);
  return refusal;
}

}  // namespace halvane::live
