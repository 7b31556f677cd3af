#include "live/TRobotsGate.h"

#include <algorithm>

#include "live/UrlForm.h"

namespace halvane::live {

TRobotsGate::THold TRobotsGate::Hold(const std::string& origin, TRequestId page, TClock::time_point now) {
  THold hold;
  const auto state = FRobots.State(origin, now);
  if (state == TRobotsCache::TState::Known) return hold;
  auto address = NormalAddress(origin + "/robots.txt");
  auto url = address ? SplitUrl(*address) : std::nullopt;
  if (!url) {
    hold.Step = THold::TStep::Unreadable;
    return hold;
  }
  FHeld[origin].push_back(page);
  if (state == TRobotsCache::TState::Fetching) {
    hold.Step = THold::TStep::Held;
    return hold;
  }
  FRobots.MarkFetching(origin);
  hold.Step = THold::TStep::Fetch;
  hold.Address = std::move(*address);
  hold.Url = std::move(*url);
  return hold;
}

TRobotsGate::TReleased TRobotsGate::Arrived(const std::string& origin, const TLiveResponse& answer,
                                            TClock::time_point now) {
  TReleased released;
  if (auto it = FHeld.find(origin); it != FHeld.end()) {
    released.Pages = std::move(it->second);
    FHeld.erase(it);
  }
  released.Known = answer.Error != TLiveError::Aborted && answer.Error != TLiveError::NoNetwork;
  if (released.Known) {
    FRobots.Store(origin, answer, now);
  } else {
    FRobots.Forget(origin);  // not an answer: whoever still waits asks again
  }
  return released;
}

void TRobotsGate::Drop(const std::string& origin, TRequestId page) {
  const auto it = FHeld.find(origin);
  if (it == FHeld.end()) return;
  std::vector<TRequestId>& held = it->second;
  held.erase(std::remove(held.begin(), held.end(), page), held.end());
}

}  // namespace halvane::live
