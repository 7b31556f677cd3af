#include "base/TMailbox.h"

namespace halvane {

void TMailbox::Post(TMessage message, bool urgent) {
  {
    std::lock_guard lock(FLock);
    if (FClosed) return;
    if (urgent) {
      FQueue.push_front(std::move(message));
    } else {
      FQueue.push_back(std::move(message));
    }
  }
  FWake.notify_one();
}

std::optional<TMailbox::TMessage> TMailbox::Take(std::optional<TClock::time_point> deadline) {
  std::unique_lock lock(FLock);
  const auto ready = [this] { return !FQueue.empty(); };
  if (deadline) {
    if (!FWake.wait_until(lock, *deadline, ready)) return std::nullopt;
  } else {
    FWake.wait(lock, ready);
  }
  TMessage message = std::move(FQueue.front());
  FQueue.pop_front();
  return message;
}

void TMailbox::Close() {
  std::deque<TMessage> dropped;
  {
    std::lock_guard lock(FLock);
    FClosed = true;
    dropped.swap(FQueue);
  }
}

}  // namespace halvane
