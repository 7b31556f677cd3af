#include "liverun/TSearchHarvest.h"

#include <stdexcept>
#include <utility>

namespace halvane::liverun {

TSearchHarvest::TSearchHarvest(sources::TSources sources, live::TLiveClient& client)
    : FSources(std::move(sources)), FClient(client), FBackEnd(sources::MakeSearchBackEnd(FSources, FClient)) {
  if (!FBackEnd) throw std::invalid_argument("the classic search engine has no live back end");
}

std::string TSearchHarvest::Name() const {
  return FBackEnd->Name();
}

void TSearchHarvest::Start(std::string query, std::size_t maxAddresses, TProgress progress, TDone done) {
  if (FUsed) {
    FBackEnd->Stop();
    FBackEnd = sources::MakeSearchBackEnd(FSources, FClient);
  }
  FUsed = true;
  FBackEnd->Start(
      std::move(query), maxAddresses,
      [progress = std::move(progress)](const sources::TSearchProgress& step) {
        progress(step.Page, step.Addresses, step.NewAddresses);
      },
      [done = std::move(done)](sources::TSearchOutcome outcome) {
        done({std::move(outcome.Addresses), std::move(outcome.Problem)});
      });
}

void TSearchHarvest::Stop() {
  FBackEnd->Stop();
}

}  // namespace halvane::liverun
