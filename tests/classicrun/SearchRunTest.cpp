// Whole search runs over a memory transport, shown through a recording
// view: harvest, page tests, both rank queries on the PageRank worker, link
// scan, ranking, and what the status panel reads around each rank answer.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/classicrun/TRecordingView.h"
#include "classicrun/TPageFetcher.h"
#include "classicrun/TSearchRun.h"
#include "search/ItemAnalysis.h"

namespace halvane::test {
namespace {

const std::string kResultPage =
    "<html><a href=\"/url?q=http://blog.test/post/\">one</a> <a href=\"/url?q=http://plain.test/\">two</a>"
    " <a href=\"/url?q=http://other.test/a\">three</a> Next</a></html>";
const std::string kBlogPage =
    "<html><link href=\"/wp-content/style.css\"><a href=\"http://www.myshop.example/\">My Shop</a></html>";
const std::string kPlainPage = "<html>no blog here</html>";
const std::string kOtherBlog = "<html>wp-content <a href='http://else.test/'>x</a></html>";
const std::string kRankingPage = "<div><img src=\"/images/icons/globe-sm.jpg\">12,345</div>";

// A run over replies in the order the run asks for them.
struct TRunRig {
  explicit TRunRig(std::vector<std::string> replies) {
    auto connector = std::make_unique<TMemoryConnector>();
    Connector = connector.get();
    for (auto& reply : replies) connector->AddReply(std::move(reply));
    Pages = std::make_unique<TPageFetcher>(Folder.Path(), std::make_unique<THttpClient>(std::move(connector)),
                                           View.Hooks(), Stop);
    TServiceEndpoints endpoints;
    endpoints.SearchHost = "search.test";
    endpoints.ImageSearchPrefix = "http://images.test";
    endpoints.PageRankHost = "rank.test";
    endpoints.RankingHost = "ranking.test";
    Run = std::make_unique<TSearchRun>(View, *Pages, endpoints, Stop,
                                       [](std::string_view, bool) -> std::uint32_t { return 0; });
  }
  TTempFolder Folder;
  TRecordingView View;
  std::atomic<bool> Stop{false};
  TMemoryConnector* Connector = nullptr;
  std::unique_ptr<TPageFetcher> Pages;
  std::unique_ptr<TSearchRun> Run;
};

std::vector<std::string> TwoBlogsRun() {
  return {HttpReply(kResultPage),
          HttpReply(kBlogPage),      HttpReply("Rank_1:1:4"), HttpReply("Rank_1:1:6"), HttpReply(kRankingPage),
          HttpReply(kPlainPage),
          HttpReply(kOtherBlog),     HttpReply("nothing"),    HttpReply("Rank_1:1:x"), HttpReply("<html></html>")};
}

TEST(SearchRun, WholeRunFillsEachQualifyingRowFromLeftToRight) {
  TRunRig rig(TwoBlogsRun());
  rig.Run->Run();
  ASSERT_EQ(rig.View.Rows.size(), 2u);
  const TResultItem& first = rig.View.Rows[0];
  EXPECT_EQ(first.URL, "http://blog.test/post/");
  EXPECT_EQ(first.PR, "4");
  EXPECT_EQ(first.HomePagePR, "6");
  EXPECT_EQ(first.HasYourLink, "Yes");
  EXPECT_EQ(first.AnchorName, "my shop");
  EXPECT_EQ(first.AlexaRanking, "12,345");
  const TResultItem& second = rig.View.Rows[1];
  EXPECT_EQ(second.URL, "http://other.test/a");
  EXPECT_EQ(second.PR, "0");
  EXPECT_EQ(second.HomePagePR, "0");
  EXPECT_EQ(second.HasYourLink, "No");
  EXPECT_EQ(second.AnchorName, "-");
  EXPECT_EQ(second.AlexaRanking, "-");
  EXPECT_EQ(rig.View.Urls->Items(),
            (std::vector<std::string>{"http://blog.test/post/", "http://plain.test/", "http://other.test/a"}));
  EXPECT_EQ(rig.View.Counts, (std::vector<std::string>{"Starting item analisys...", "1 items found of 1 analized",
                                                       "1 items found of 2 analized", "2 items found of 3 analized",
                                                       "2 items listed"}));
  EXPECT_EQ(rig.Connector->Targets().size(), 10u);
  // The last worker's completion arrives through the event queue.
  for (int i = 0; i < 200 && rig.Run->RankWorkers() > 0; ++i) rig.View.WaitForEvents();
  EXPECT_EQ(rig.Run->RankWorkers(), 0);
}

// The PageRank worker posts its fetch's status texts to the interface
// thread; an answer that became visible before them would let a late
// "Process completed sucessfull!" overwrite the emptied panel.
TEST(SearchRun, StatusPanelStaysEmptyAfterEachRankAnswerAlsoOnASlowInterfaceThread) {
  for (bool lagging : {false, true}) {
    TRunRig rig(TwoBlogsRun());
    rig.View.Lagging = lagging;
    rig.Run->Run();
    ASSERT_EQ(rig.View.Rows.size(), 2u);
    int answers = 0;
    std::vector<std::string> sinceQuery;
    bool afterAnswer = false;
    for (const std::string& entry : rig.View.Timeline) {
      if (entry.rfind("status:", 0) != 0) continue;
      const std::string text = entry.substr(7);
      if (afterAnswer) {
        // The next text after an answer is the next request's own.
        EXPECT_TRUE(text.rfind("Getting URL: ", 0) == 0 || text == kRankStatusText)
            << (lagging ? "lagging: " : "") << text << " after answer " << answers;
        afterAnswer = false;
      }
      if (text == kRankStatusText) {
        sinceQuery.clear();
      } else if (text.empty()) {
        ++answers;
        afterAnswer = true;
        // Each answer follows its own request's texts.
        ASSERT_EQ(sinceQuery.size(), 2u) << (lagging ? "lagging: " : "") << "answer " << answers;
        EXPECT_EQ(sinceQuery[0].rfind("Getting URL: http://rank.test/", 0), 0u) << sinceQuery[0];
        EXPECT_EQ(sinceQuery[1], "Process completed sucessfull!");
      } else {
        sinceQuery.push_back(text);
      }
    }
    EXPECT_EQ(answers, 4);
  }
}

TEST(SearchRun, StopDuringTheFirstRankWaitEndsTheItemAndTheRun) {
  TRunRig rig(TwoBlogsRun());
  rig.View.OnPump = [&] {
    if (!rig.View.Rows.empty()) rig.Stop = true;
  };
  rig.Run->Run();
  ASSERT_EQ(rig.View.Rows.size(), 1u);
  EXPECT_EQ(rig.View.Rows[0].HomePagePR, "");
  EXPECT_EQ(rig.View.Rows[0].AlexaRanking, "");
  EXPECT_EQ(rig.View.Counts.back(), "1 items listed");
  rig.Run->WaitForRankWorkers();
  EXPECT_EQ(rig.Run->RankWorkers(), 0);
}

TEST(SearchRun, WindowThatDroppedItsListEndsTheRunWithoutRows) {
  TRunRig rig(TwoBlogsRun());
  rig.View.Urls.reset();
  rig.Run->Run();
  EXPECT_TRUE(rig.View.Rows.empty());
  EXPECT_TRUE(rig.Connector->Targets().empty());
  EXPECT_EQ(rig.View.Counts, (std::vector<std::string>{"Starting item analisys...", "0 items listed"}));
}

}  // namespace
}  // namespace halvane::test
