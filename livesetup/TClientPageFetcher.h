#pragma once
// The run's page fetcher over the live client, as page requests (robots.txt
// applies).
// AbortAll ends only the fetches made here, by their group: the search and
// authority calls that share the client go on (an authority call cut short
// by a Stop would otherwise leave the next run without figures).
#include "live/TLiveClient.h"
#include "liverun/TPageFetcher.h"

namespace halvane::livesetup {

class TClientPageFetcher : public liverun::TPageFetcher {
 public:
  explicit TClientPageFetcher(live::TLiveClient& client) : FClient(client) {}
  void Fetch(std::string url, TDone done) override;
  void AbortAll() override;

 private:
  live::TLiveClient& FClient;
};

}  // namespace halvane::livesetup
