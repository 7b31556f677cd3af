#pragma once
// The queue of a thread of its own: the one way work is handed to such a
// thread (a live run, the store's worker). Other threads post; the owner
// takes one message at a time and runs it with no lock held. Once closed,
// posts are dropped, so a late answer after the owner is gone touches
// nothing.
//
// Threads: Post and Close from any thread; Take from the owning thread.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace halvane {

class TMailbox {
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

}  // namespace halvane
