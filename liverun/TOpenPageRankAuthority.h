#pragma once
// The Authority column from Open PageRank's bulk API. Figures (and failures)
// are kept for the life of the object, so a domain is asked at most once
// across the keywords of one harvest.
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <list>

#include "live/TLiveClient.h"
#include "liverun/TAuthorityLookup.h"
#include "sources/TOpenPageRank.h"

namespace halvane::liverun {

class TOpenPageRankAuthority : public TAuthorityLookup {
 public:
  TOpenPageRankAuthority(live::TLiveClient& client, std::string url, std::string key);
  ~TOpenPageRankAuthority() override;
  std::string Name() const override { return "Open PageRank"; }
  std::size_t MaxBatch() const override { return sources::TOpenPageRank::kMaxDomainsPerCall; }
  void Lookup(std::vector<std::string> domains, TDone done) override;

 private:
  struct TBatch {
    std::set<std::string> Waiting;
    TAuthorityAnswer Answer;
    TDone Done;
  };
  struct TState {
    std::mutex Lock;
    std::map<std::string, std::optional<int>> Known;
    std::map<std::string, std::string> Failed;  // domain -> why its call failed
    std::list<TBatch> Batches;
  };
  static void Answered(TState& state, const std::string& domain, std::optional<int> figure,
                       const std::string& error);

  std::shared_ptr<TState> FState;
  std::unique_ptr<sources::TOpenPageRank> FService;  // first to go: no handler after
};

}  // namespace halvane::liverun
