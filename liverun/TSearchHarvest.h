#pragma once
// The harvest of a live run from the search back end the sources file names:
// a fresh back end for every run (a back end serves one harvest).
#include <memory>

#include "live/TLiveClient.h"
#include "liverun/THarvestSource.h"
#include "sources/TSearchBackEnd.h"
#include "sources/TSources.h"

namespace halvane::liverun {

class TSearchHarvest : public THarvestSource {
 public:
  // Throws std::invalid_argument as MakeSearchBackEnd does.
  TSearchHarvest(sources::TSources sources, live::TLiveClient& client);
  std::string Name() const override;
  void Start(std::string query, std::size_t maxAddresses, TProgress progress, TDone done) override;
  void Stop() override;

 private:
  sources::TSources FSources;
  live::TLiveClient& FClient;
  std::unique_ptr<sources::TSearchBackEnd> FBackEnd;
  bool FUsed = false;
};

}  // namespace halvane::liverun
