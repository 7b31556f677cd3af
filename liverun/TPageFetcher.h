#pragma once
// Fetches the pages a live run judges (robots.txt applied by the fetcher).
#include <functional>
#include <string>

#include "live/TLiveResponse.h"

namespace halvane::liverun {

class TPageFetcher {
 public:
  using TDone = std::function<void(live::TLiveResponse)>;

  virtual ~TPageFetcher() = default;
  // done runs exactly once, on any thread.
  virtual void Fetch(std::string url, TDone done) = 0;
  // Every fetch under way completes soon (aborted). Any thread.
  virtual void AbortAll() = 0;
};

}  // namespace halvane::liverun
