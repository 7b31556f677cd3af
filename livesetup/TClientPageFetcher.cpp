#include "livesetup/TClientPageFetcher.h"

#include <utility>

namespace halvane::livesetup {
namespace {

constexpr const char* kPageGroup = "pages";

}  // namespace

void TClientPageFetcher::Fetch(std::string url, TDone done) {
  live::TLiveRequest request;
  request.Url = std::move(url);
  request.Kind = live::TRequestKind::Page;
  request.Group = kPageGroup;
  FClient.Submit(std::move(request), std::move(done));
}

void TClientPageFetcher::AbortAll() { FClient.AbortGroup(kPageGroup); }

}  // namespace halvane::livesetup
