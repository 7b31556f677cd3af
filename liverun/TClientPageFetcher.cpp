#include "liverun/TClientPageFetcher.h"

#include <utility>

namespace halvane::liverun {

void TClientPageFetcher::Fetch(std::string url, TDone done) {
  live::TLiveRequest request;
  request.Url = std::move(url);
  request.Kind = live::TRequestKind::Page;
  FClient.Submit(std::move(request), std::move(done));
}

void TClientPageFetcher::AbortAll() {
  FClient.AbortAll();
}

}  // namespace halvane::liverun
