#pragma once
// The page-after-page driver both live search back ends share: asks page 1,
// 2, ... through the live client, keeps what the harvest rules keep, and
// ends at the limit, at the last page, on a page that adds nothing new, on
// an error (with its reason), at the protocol's deadline (with a message
// naming it; each page's time-out and rate limit waits are cut to the time
// left) or on Stop. A Start stops the harvest under way and begins afresh.
// See liverun::TSearchBackEnd for threads.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "live/TLiveClient.h"
#include "liverun/TSearchBackEnd.h"
#include "sources/TPageProtocol.h"
#include "sources/TSearchPage.h"

namespace halvane::sources {

class TPagedSearch final : public liverun::TSearchBackEnd {
 public:
  TPagedSearch(live::TLiveClient& client, TPageProtocol protocol);
  ~TPagedSearch() override;
  TPagedSearch(const TPagedSearch&) = delete;
  TPagedSearch& operator=(const TPagedSearch&) = delete;

  void Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
             TDoneHandler done) override;
  void Stop() override;
  std::string Name() const override;

 private:
  struct TRun;
  // Closes run's gate and aborts its request under way.
  void End(TRun& run);

  live::TLiveClient& FClient;
  TPageProtocol FProtocol;
  std::mutex FRunMutex;  // guards FRun: Start and Stop may come from different threads
  std::shared_ptr<TRun> FRun;
};

}  // namespace halvane::sources
