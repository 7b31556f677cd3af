#include "live/THostQueues.h"

#include <algorithm>
#include <iterator>

namespace halvane::live {

THostQueues::THostQueues(int parallel, int perHost, TClock::duration hostDelay)
    : FParallel(std::max(parallel, 1)), FPerHost(std::max(perHost, 1)), FHostDelay(hostDelay) {}

void THostQueues::Enqueue(const std::string& host, TRequestId id) {
  std::deque<TRequestId>& queue = FHosts[host].Queue;
  auto at = queue.end();
  while (at != queue.begin() && *std::prev(at) > id) --at;  // a retry goes back to its place
  queue.insert(at, id);
}

void THostQueues::Remove(const std::string& host, TRequestId id) {
  const auto it = FHosts.find(host);
  if (it == FHosts.end()) return;
  std::deque<TRequestId>& queue = it->second.Queue;
  queue.erase(std::remove(queue.begin(), queue.end(), id), queue.end());
}

bool THostQueues::Open(const THost& host, TClock::time_point now) const {
  if (host.Queue.empty() || host.Running >= FPerHost) return false;
  return !host.Started || now >= host.LastStart + FHostDelay;
}

std::optional<THostQueues::TReady> THostQueues::TakeReady(TClock::time_point now) {
  if (FRunning >= FParallel) return std::nullopt;
  std::map<std::string, THost>::iterator best = FHosts.end();
  for (auto it = FHosts.begin(); it != FHosts.end(); ++it) {
    if (!Open(it->second, now)) continue;
    if (best == FHosts.end() || it->second.Queue.front() < best->second.Queue.front()) best = it;
  }
  if (best == FHosts.end()) return std::nullopt;
  const TRequestId id = best->second.Queue.front();
  best->second.Queue.pop_front();
  return TReady{best->first, id};
}

void THostQueues::Started(const std::string& host, TClock::time_point now) {
  THost& h = FHosts[host];
  ++h.Running;
  ++FRunning;
  h.Started = true;
  h.LastStart = now;
}

void THostQueues::Ended(const std::string& host) {
  --FHosts[host].Running;
  --FRunning;
}

void THostQueues::RetryAt(TRequestId id, TClock::time_point when) { FRetries.emplace(when, id); }

void THostQueues::CancelRetry(TRequestId id) {
  const auto it = std::find_if(FRetries.begin(), FRetries.end(), [id](const auto& r) { return r.second == id; });
  if (it != FRetries.end()) FRetries.erase(it);
}

std::vector<TRequestId> THostQueues::Due(TClock::time_point now) {
  std::vector<TRequestId> due;
  while (!FRetries.empty() && FRetries.begin()->first <= now) {
    due.push_back(FRetries.begin()->second);
    FRetries.erase(FRetries.begin());
  }
  return due;
}

long THostQueues::WaitMs(TClock::time_point now, long longest) const {
  long wait = longest;
  const auto until = [&](TClock::time_point when) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count();
    return std::max<long>(0, static_cast<long>(ms) + 1);
  };
  if (FRunning < FParallel) {
    for (const auto& [name, host] : FHosts) {
      if (!host.Queue.empty() && host.Running < FPerHost && host.Started) {
        wait = std::min(wait, until(host.LastStart + FHostDelay));
      }
    }
  }
  if (!FRetries.empty()) wait = std::min(wait, until(FRetries.begin()->first));
  return wait;
}

}  // namespace halvane::live
