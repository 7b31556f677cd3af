#pragma once
// The Authority column from Open PageRank's bulk API. Figures are kept for
// the life of the object, so a domain is asked at most once across the runs
// that share it (the keywords of one harvest, the searches of one window).
// A failure is never kept: it says why this run's column shows "-", and the
// next Lookup asks again (the call may have been cut short, timed out, or met
// a limit that has passed since).
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "live/TLiveClient.h"
#include "liverun/TAuthorityLookup.h"
#include "sources/TOpenPageRank.h"

namespace halvane::sources {

class TOpenPageRankAuthority : public liverun::TAuthorityLookup {
 public:
  TOpenPageRankAuthority(live::TLiveClient& client, std::string url, std::string key);
  ~TOpenPageRankAuthority() override;
  std::string Name() const override { return "Open PageRank"; }
  std::size_t MaxBatch() const override { return TOpenPageRank::kMaxDomainsPerCall; }
  void Lookup(std::vector<std::string> domains, TDone done) override;

 private:
  struct TBatch {
    std::set<std::string> Waiting;
    liverun::TAuthorityAnswer Answer;
    TDone Done;
  };
  struct TState {
    std::mutex Lock;
    std::map<std::string, std::optional<int>> Known;
    std::list<TBatch> Batches;
    // A call failed: the service asks each domain once, so the next domains
    // go to a fresh one.
    bool ServiceSpent = false;
  };
  static void Answered(TState& state, const std::string& domain, std::optional<int> figure,
                       const std::string& error);
  std::unique_ptr<TOpenPageRank> NewService() const;

  live::TLiveClient& FClient;
  const std::string FUrl;
  const std::string FKey;
  std::shared_ptr<TState> FState;
  // The service asked now, and those that failed before; these still answer
  // the calls they have out. Touched by Lookup's thread only.
  std::unique_ptr<TOpenPageRank> FService;
  std::vector<std::unique_ptr<TOpenPageRank>> FSpent;
};

}  // namespace halvane::sources
