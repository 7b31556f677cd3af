#pragma once
// halvane-harvest's thread takes what a run's (or a re-check's) thread
// posted to its mailbox until the work is done, and asks for a stop once
// Ctrl-C has set interrupted. That flag is looked at every 20 ms: a signal
// handler cannot post.
#include <atomic>
#include <functional>

#include "base/TMailbox.h"

namespace halvane::harvest {

void TakeReportsUntil(TMailbox& mailbox, const std::function<bool()>& done, const std::atomic<bool>& interrupted,
                      const std::function<void()>& stop);

}  // namespace halvane::harvest
