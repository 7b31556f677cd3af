#pragma once
// The Authority column from Open PageRank's bulk API. Figures are kept for
// the life of the object, so a domain is asked at most once across the runs
// that share it (the keywords of one harvest, the searches of one window).
// A failure is never kept: it says why this run's column shows "-", and the
// next Lookup asks again (the call may have been cut short, timed out, or met
// a limit that has passed since).
//
// Threads: Lookup and the destructor on the owner's thread (the run's). The
// figures and the batches waiting for them belong to the live client's
// worker: Lookup posts its work there, and done runs there. After the
// destructor returns no done runs; one running at that moment is waited for.
#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "live/TLiveClient.h"
#include "liverun/TAuthorityLookup.h"
#include "sources/TCallbackGate.h"
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
    // The worker's own.
    std::map<std::string, std::optional<int>> Known;
    std::list<TBatch> Batches;
    // Set by the worker, taken by Lookup: a call failed, and the service
    // asks each domain once, so the next domains go to a fresh one.
    std::atomic<bool> ServiceSpent{false};
    TCallbackGate Gate;  // closed by the destructor: no done after it
  };
  // On the worker.
  static void Ask(TState& state, TOpenPageRank& service, const std::vector<std::string>& domains, TDone done);
  static void Answered(TState& state, const std::string& domain, std::optional<int> figure,
                       const std::string& error);
  std::shared_ptr<TOpenPageRank> NewService() const;

  live::TLiveClient& FClient;
  const std::string FUrl;
  const std::string FKey;
  std::shared_ptr<TState> FState;
  // The service asked now, and those that failed before; these still answer
  // the calls they have out. Lookup's thread sets them; the worker's tasks
  // hold them while they ask.
  std::shared_ptr<TOpenPageRank> FService;
  std::vector<std::shared_ptr<TOpenPageRank>> FSpent;
};

}  // namespace halvane::sources
