#pragma once
// The queue of a live run's own thread. Completion handlers on other threads
// post to it; once closed, posts are dropped, so a late answer after the run
// is gone touches nothing.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace halvane::liverun {

class TRunMailbox {
 public:
  using TMessage = std::function<void()>;
  using TClock = std::chrono::steady_clock;

  // urgent messages go before everything waiting.
  void Post(TMessage message, bool urgent = false);
  // The next message, or nothing once deadline has passed with none waiting.
  std::optional<TMessage> Take(std::optional<TClock::time_point> deadline);
  void Close();

 private:
  std::mutex FLock;
  std::condition_variable FWake;
  std::deque<TMessage> FQueue;
  bool FClosed = false;
};

}  // namespace halvane::liverun
