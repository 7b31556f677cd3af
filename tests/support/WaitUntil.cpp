#include "tests/support/WaitUntil.h"

#include <algorithm>
#include <thread>

namespace halvane::test {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point until = Clock::now() + limit;
  std::chrono::milliseconds pause(1);
  while (!done()) {
    const Clock::time_point now = Clock::now();
    if (now >= until) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, until - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace halvane::test
