#include "tools/harvest/TakeReports.h"

#include <chrono>
#include <optional>

namespace halvane::harvest {

void TakeReportsUntil(TMailbox& mailbox, const std::function<bool()>& done, const std::atomic<bool>& interrupted,
                      const std::function<void()>& stop) {
  bool stopping = false;
  while (!done()) {
    if (std::optional<TMailbox::TMessage> message =
            mailbox.Take(TMailbox::TClock::now() + std::chrono::milliseconds(20))) {
      (*message)();
    }
    if (!stopping && interrupted.load()) {
      stopping = true;
      stop();
    }
  }
}

}  // namespace halvane::harvest
