#pragma once
// The classic search run: the harvest of result addresses, the analysis of
// each address (page test, PageRank of the page and its home page through
// the PageRank component's worker, link scan, traffic ranking) and the
// bookkeeping of the rank workers. It runs on the interface thread and lets
// events through while it waits, as the classic window did; it shows its
// progress through a TSearchRunView.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "classicrun/TRankSlot.h"
#include "classicrun/TServiceEndpoints.h"
#include "pagerank/TPageRank.h"

namespace halvane {

class TPageFetcher;
class TSearchRunView;

class TSearchRun {
 public:
  // stopRequested is the window's Stop flag; checksum defaults to the
  // checksum script.
  TSearchRun(TSearchRunView& view, TPageFetcher& pages, TServiceEndpoints endpoints,
             std::atomic<bool>& stopRequested, TUrlChecksum checksum = {});
  // Lets every rank worker finish first.
  ~TSearchRun();
  TSearchRun(const TSearchRun&) = delete;
  TSearchRun& operator=(const TSearchRun&) = delete;

  // One whole run: HarvestResults, then AnalyseItems. EStreamError (test.html
  // cannot be created) ends it and reaches the caller.
  void Run();
  void HarvestResults();
  void AnalyseItems();
  // One harvested address; adds at most one row.
  void AnalyseItem(const std::string& address);
  // The rank handler, on the component's worker thread: fetches the query
  // address and hands the answer to RankText under the query's tag.
  bool PageRankGetRank(const std::string& page, std::string& rank, std::uint64_t queryTag);

  // Sets Stop and waits (handling events, at most a minute) until every
  // rank worker has completed.
  void WaitForRankWorkers();
  int RankWorkers() const { return FRankWorkers; }

  // The PageRank answer handed from the worker to the waiting analysis.
  TRankSlot RankText;

 private:
  // One PageRank query for a page name, waited for while events run. False
  // when Stop came before it could start; otherwise answer is the cell.
  bool RankQuery(const std::string& pageName, std::string& answer);

  TSearchRunView& FView;
  TPageFetcher& FPages;
  TServiceEndpoints FEndpoints;
  std::atomic<bool>& FStopRequested;
  std::unique_ptr<TPageRank> FPageRank;
  // PageRank workers started and not yet completed.
  std::atomic<int> FRankWorkers{0};
};

}  // namespace halvane
