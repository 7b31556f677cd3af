#pragma once
// The requests waiting to start, one queue per host name (whatever the
// scheme and port), and what bounds their start: transfers at once in all
// and per host, the delay between two starts on one host, and the time a
// retry waits for (without a transfer slot). A queue keeps submission
// order: a request goes back to its place when its retry comes due. No
// network: the worker asks which request may start and says when one
// started or ended.
//
// Threads: used by the live client's worker thread only.
#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "live/TLiveClient.h"

namespace halvane::live {

class THostQueues {
 public:
  using TClock = std::chrono::steady_clock;

  // parallel and perHost at least 1.
  THostQueues(int parallel, int perHost, TClock::duration hostDelay);

  // Queues id on host, before every later id already waiting there.
  void Enqueue(const std::string& host, TRequestId id);
  // Takes id out of host's queue (nothing when it is not there).
  void Remove(const std::string& host, TRequestId id);

  struct TReady {
    std::string Host;
    TRequestId Id = 0;
  };
  // Takes the oldest request whose host has a free slot and whose host
  // delay has passed, while the total limit has room; nothing otherwise.
  // Started or nothing follows: a request that fails to start holds no slot.
  std::optional<TReady> TakeReady(TClock::time_point now);
  // The request taken from host started at now: a slot of its own until Ended.
  void Started(const std::string& host, TClock::time_point now);
  void Ended(const std::string& host);
  int Running() const noexcept { return FRunning; }

  // id waits until when, without a slot, then Due hands it back.
  void RetryAt(TRequestId id, TClock::time_point when);
  void CancelRetry(TRequestId id);
  // The retries whose time has come, earliest first; they leave the list.
  std::vector<TRequestId> Due(TClock::time_point now);

  // How long until a waiting request may start or a retry comes due, at
  // most longest (whole milliseconds, rounded up).
  long WaitMs(TClock::time_point now, long longest) const;

 private:
  struct THost {
    std::deque<TRequestId> Queue;  // ascending ids: submission order
    int Running = 0;
    bool Started = false;
    TClock::time_point LastStart;
  };
  bool Open(const THost& host, TClock::time_point now) const;

  const int FParallel;
  const int FPerHost;
  const TClock::duration FHostDelay;
  std::map<std::string, THost> FHosts;  // by host name
  std::multimap<TClock::time_point, TRequestId> FRetries;
  int FRunning = 0;
};

}  // namespace halvane::live
