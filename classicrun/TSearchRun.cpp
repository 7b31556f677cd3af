#include "classicrun/TSearchRun.h"

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "classicrun/TPageFetcher.h"
#include "classicrun/TSearchRunView.h"
#include "search/Harvest.h"
#include "search/ItemAnalysis.h"
#include "search/ResultsList.h"
#include "search/THarvestedUrls.h"

namespace halvane {

TSearchRun::TSearchRun(TSearchRunView& view, TPageFetcher& pages, TServiceEndpoints endpoints,
                       std::atomic<bool>& stopRequested, TUrlChecksum checksum)
    : FView(view), FPages(pages), FEndpoints(std::move(endpoints)), FStopRequested(stopRequested) {
  // Completions of the workers go to the interface thread; counting them
  // lets the run outlive every worker that still refers to it.
  auto post = [this](std::function<void()> completion) {
    FView.PostLater([this, completion = std::move(completion)] {
      completion();
      --FRankWorkers;
    });
  };
  FPageRank = std::make_unique<TPageRank>(FEndpoints.PageRankHost, post, std::move(checksum));
}

TSearchRun::~TSearchRun() { WaitForRankWorkers(); }

void TSearchRun::Run() {
  HarvestResults();
  AnalyseItems();
}

void TSearchRun::HarvestResults() {
  THarvestedUrls* list = FView.HarvestList();
  if (!list) return;
  list->Clear();
  THarvestedUrls urls;
  const auto fetch = [this](const std::string& address) -> std::optional<std::string> {
    std::string text;
    if (!FPages.FetchPage(address, text)) return std::nullopt;
    return text;
  };
  // A window closed from inside the harvest has no list to fill.
  const auto stop = [this] { return FStopRequested.load() || !FView.HarvestList(); };
  halvane::HarvestResults(FEndpoints.SearchHost, FEndpoints.ImageSearchPrefix, FView.KeywordText(),
                          FView.DepthIndex(), fetch, stop, [this] { FView.PumpEvents(); }, urls);
  if (THarvestedUrls* kept = FView.HarvestList()) *kept = std::move(urls);
}

void TSearchRun::AnalyseItems() {
  FView.ShowCount(kAnalysisStartText);
  if (THarvestedUrls* list = FView.HarvestList()) {
    const std::vector<std::string> addresses = list->Items();
    std::size_t visited = 0;
    for (const std::string& address : addresses) {
      ++visited;
      if (FStopRequested) break;
      AnalyseItem(address);
      if (FStopRequested) break;
      FView.ShowCount(ItemsFoundText(FView.RowCount(), visited));
      FView.PumpEvents();
    }
  }
  FView.ShowCount(ItemsListedText(FView.RowCount()));
}

void TSearchRun::AnalyseItem(const std::string& address) {
  std::string page;
  if (!FPages.FetchPage(address, page)) return;
  const std::string prepared = TrimAndLowerPage(page);
  page = std::string();
  if (!IsQualifyingPage(prepared)) return;
  TResultItem item;
  item.URL = address;
  const std::uint64_t row = FView.AddRow(std::move(item));

  std::string rank;
  if (!RankQuery(PageRankPageName(address), rank)) return;
  FView.SetCell(row, kColumnPR, rank);
  if (FStopRequested) return;
  if (!RankQuery(HomePagePageRankName(address), rank)) return;
  FView.SetCell(row, kColumnHomePagePR, rank);

  const TLinkScanResult scan = ScanForUserLink(prepared, DomainFromEditText(FView.DomainText()));
  FView.SetCell(row, kColumnHasYourLink, HasYourLinkCellText(scan));
  FView.SetCell(row, kColumnAnchorName, AnchorCellText(scan));

  std::string ranking;
  if (FPages.FetchPage(RankingPageAddress(FEndpoints.RankingHost, address), ranking)) {
    const std::string value = ExtractRankingValue(ranking);
    FView.PumpEvents();
    if (FStopRequested) return;
    FView.SetCell(row, kColumnAlexaRanking, value);
  } else {
    FView.SetCell(row, kColumnAlexaRanking, "-");
  }
}

bool TSearchRun::RankQuery(const std::string& pageName, std::string& answer) {
  const std::uint64_t tag = RankText.Begin();
  FView.ShowStatus(kRankStatusText);
  FPageRank->SetPage(pageName);
  FPageRank->NonBlock = true;
  if (FStopRequested) return false;
  // The handler carries this query's tag, so a late answer of an abandoned
  // query is dropped by RankText.
  FPageRank->OnGetRank = [this, tag](const std::string& page, std::string& reply) {
    return PageRankGetRank(page, reply, tag);
  };
  ++FRankWorkers;
  FPageRank->RequestRank();
  // No worker could be started: nothing will complete.
  if (!FPageRank->CurrentThread()) --FRankWorkers;
  std::string text = RankText.Text();
  while (text.empty() && !FStopRequested) {
    FView.WaitForEvents();
    text = RankText.Text();
  }
  if (!text.empty() && !FStopRequested) FView.ShowStatus("");
  answer = RankCellFromAnswer(text);
  return true;
}

bool TSearchRun::PageRankGetRank(const std::string& page, std::string& /*rank*/, std::uint64_t queryTag) {
  bool fetched = false;
  std::string answer(kNoRankData);
  try {
    std::string reply;
    if (FPages.FetchPage(page, reply)) {
      answer = RankAnswerFromReply(reply);
      fetched = true;
    }
  } catch (...) {
    // Any failure on the way answers "No Data" and reports no fetch.
  }
  // Through the queue that carried the fetch's status texts, so the answer
  // lands after them and the emptied status panel stays empty.
  FView.Post([this, queryTag, answer = std::move(answer)]() mutable { RankText.Store(queryTag, std::move(answer)); });
  return fetched;
}

void TSearchRun::WaitForRankWorkers() {
  // A worker's request ends within one wait slice once Stop is set.
  FStopRequested = true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (FRankWorkers > 0 && std::chrono::steady_clock::now() < until) {
    FView.PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace halvane
