#pragma once
// Page fetches through the live client, as page requests (robots.txt applies).
#include "live/TLiveClient.h"
#include "liverun/TPageFetcher.h"

namespace halvane::liverun {

class TClientPageFetcher : public TPageFetcher {
 public:
  explicit TClientPageFetcher(live::TLiveClient& client) : FClient(client) {}
  void Fetch(std::string url, TDone done) override;
  void AbortAll() override;

 private:
  live::TLiveClient& FClient;
};

}  // namespace halvane::liverun
