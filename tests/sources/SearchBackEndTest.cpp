// The live search back ends against the simulated web: what they harvest is
// what the simulator's model predicts; every error answer ends the harvest
// with words a user can act on; Stop ends it without a late handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "tools/sim/LiveSearch.h"
#include "tests/support/TSimProcess.h"
#include "tests/support/TSimSuite.h"
#include "tools/sim/TSimWeb.h"
#include "sources/MakeSearchBackEnd.h"
#include "sources/TBraveSearch.h"
#include "sources/TPagedSearch.h"
#include "sources/TSearxngSearch.h"

namespace halvane::sources {
namespace {

using liverun::TSearchBackEnd;
using liverun::TSearchOutcome;
using liverun::TSearchProgress;

using namespace std::chrono_literals;

constexpr char kSmall[] = HALVANE_TEST_DATA "/sim/small.conf";
const std::string kOff = std::string(HALVANE_TEST_DATA) + "/sim/live-off.conf";

live::TNetworkSettings FastSettings() {
  live::TNetworkSettings s;
  s.HostDelayMs = 0;
  s.PerHost = 4;
  return s;
}

struct THarvestRecord {
  TSearchOutcome Outcome;
  std::vector<TSearchProgress> Progress;
};

// Runs one harvest to its end (a minute at most: a hang fails, it is no timing).
THarvestRecord Harvest(TSearchBackEnd& search, std::string_view keyword, std::size_t maxAddresses) {
  auto progress = std::make_shared<std::vector<TSearchProgress>>();
  std::promise<TSearchOutcome> done;
  std::future<TSearchOutcome> outcome = done.get_future();
  search.Start(SearchQueryText(keyword), maxAddresses, [progress](const TSearchProgress& p) { progress->push_back(p); },
               [&done](TSearchOutcome o) { done.set_value(std::move(o)); });
  if (outcome.wait_for(60s) != std::future_status::ready) {
    ADD_FAILURE() << "the harvest did not end";
    search.Stop();
    return {};
  }
  return {outcome.get(), *progress};
}

class SearchBackEnd : public test::TSimSuite<kSmall> {
 protected:
  void TearDown() override { Sim().ClearFaults(); }

  static std::string SearxngUrl() { return ServiceUrl() + "/"; }
  static std::string BraveUrl() { return ServiceUrl() + "/res/v1/web/search"; }

  live::TLiveClient FClient{FastSettings()};
};

TEST_F(SearchBackEnd, SearxngHarvestIsTheModelsAtEveryDepth) {
  for (const char* keyword : {"deep dive", "blue widgets", "nothing here"}) {
    for (const std::size_t max : {std::size_t{40}, std::size_t{100}, std::size_t{1000}}) {
      TSearxngSearch search(FClient, SearxngUrl());
      const THarvestRecord r = Harvest(search, keyword, max);
      EXPECT_EQ(r.Outcome.Problem, "");
      EXPECT_EQ(r.Outcome.Addresses, sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Searxng, keyword, max))
          << keyword << " " << max;
      ASSERT_FALSE(r.Progress.empty());
      for (std::size_t i = 0; i < r.Progress.size(); ++i) EXPECT_EQ(r.Progress[i].Page, static_cast<int>(i) + 1);
      EXPECT_LT(r.Progress.back().Addresses, max);  // no page asked once the limit is reached
      EXPECT_EQ(r.Progress.front().StatusText(), "Searching SearXNG, page 1...");
    }
  }
}

TEST_F(SearchBackEnd, BraveHarvestIsTheModelsAndEndsWhenNoMoreResults) {
  for (const char* keyword : {"deep dive", "single page", "nothing here"}) {
    TBraveSearch search(FClient, BraveUrl(), "sim-brave-key");
    const THarvestRecord r = Harvest(search, keyword, 1000);
    EXPECT_EQ(r.Outcome.Problem, "");
    EXPECT_EQ(r.Outcome.Addresses, sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Brave, keyword, 1000)) << keyword;
    // Pages only while the service says more follow.
    bool more = true;
    for (int offset = 0; offset + 1 < static_cast<int>(r.Progress.size()); ++offset) {
      sim::BravePage(Web(), keyword, offset, &more);
      EXPECT_TRUE(more);
    }
  }
}

TEST_F(SearchBackEnd, ErrorAnswersEndTheHarvestWithTheirReason) {
  const std::string host = "127.0.0.1:" + std::to_string(Sim().Port());
  {
    TBraveSearch search(FClient, BraveUrl(), "wrong-key");
    EXPECT_EQ(Harvest(search, "deep dive", 100).Outcome.Problem,
              "Brave Search at " + host +
                  " refused the subscription token (HTTP 422: The provided subscription token is invalid.); check brave-key");
  }
  ASSERT_TRUE(Sim().SetFaults("format=json status:502\n"));
  {
    TSearxngSearch search(FClient, SearxngUrl());
    const THarvestRecord r = Harvest(search, "deep dive", 100);
    EXPECT_TRUE(r.Outcome.Addresses.empty());
    EXPECT_EQ(r.Outcome.Problem, "SearXNG at " + host + " failed on its side (HTTP 502), try again later");
  }
  // Rate limited on every try: the client's retries end, the wait is named.
  ASSERT_TRUE(Sim().SetFaults("/res/v1/web/ status:429\n"));
  {
    TBraveSearch search(FClient, BraveUrl(), "sim-brave-key");
    EXPECT_EQ(Harvest(search, "deep dive", 100).Outcome.Problem,
              "Brave Search at " + host +
                  " is limiting requests (HTTP 429: Request rate limit exceeded for plan.), retry after 1 s; your "
                  "plan's rate or monthly quota is used up");
  }
  ASSERT_TRUE(Sim().SetFaults("format=json status:429\n"));
  {
    TSearxngSearch search(FClient, SearxngUrl());
    const std::string problem = Harvest(search, "deep dive", 100).Outcome.Problem;
    EXPECT_EQ(problem.rfind("SearXNG at " + host + " is limiting requests (HTTP 429); its bot limiter is on: set "
                            "limiter: false", 0), 0u)
        << problem;
  }
}

TEST_F(SearchBackEnd, BraveWaitsForItsRateLimitToResetAndGoesOn) {
  // The first answer is a 429 whose per-second window resets in 1 s.
  ASSERT_TRUE(Sim().SetFaults("/res/v1/web/ status:429,count:1\n"));
  TBraveSearch search(FClient, BraveUrl(), "sim-brave-key");
  const THarvestRecord r = Harvest(search, "deep dive", 1000);
  EXPECT_EQ(r.Outcome.Problem, "");
  EXPECT_EQ(r.Outcome.Addresses, sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Brave, "deep dive", 1000));
}

TEST_F(SearchBackEnd, SearxngSaysWhichEnginesFailedAndKeepsWhatItFound) {
  TSearxngSearch search(FClient, SearxngUrl());
  const THarvestRecord r = Harvest(search, "engines down", 1000);
  const auto expected = sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Searxng, "engines down", 1000);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(r.Outcome.Addresses, expected);
  EXPECT_EQ(r.Outcome.Problem, "SearXNG at 127.0.0.1:" + std::to_string(Sim().Port()) +
                                   ": every engine failed: duckduckgo (Suspended: too many requests), brave (timeout)");
}

// A clock that runs with the real one, plus what the test adds.
struct TShiftedClock {
  std::shared_ptr<std::atomic<long long>> Shift = std::make_shared<std::atomic<long long>>(0);  // ms
  std::function<TPageProtocol::TClock::time_point()> Now() const {
    return [shift = Shift] { return TPageProtocol::TClock::now() + std::chrono::milliseconds(shift->load()); };
  }
};

TEST_F(SearchBackEnd, ASearchEndsAtItsDeadlineKeepingWhatItFound) {
  const auto full = sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Searxng, "deep dive", 1000);
  // Eleven minutes pass while page 3 is asked: its answer is the last.
  TShiftedClock clock;
  // The deadline is read on the shifted clock: the test moves it, never waits for it.
  TPageProtocol protocol = TSearxngSearch::Protocol(SearxngUrl(), std::chrono::seconds(600));
  protocol.Now = clock.Now();
  TPagedSearch search(FClient, protocol);
  auto progress = std::make_shared<std::vector<TSearchProgress>>();
  std::promise<TSearchOutcome> done;
  search.Start(SearchQueryText("deep dive"), 1000,
               [&clock, progress](const TSearchProgress& p) {
                 progress->push_back(p);
                 if (p.Page == 3) *clock.Shift = 11 * 60 * 1000;
               },
               [&done](TSearchOutcome o) { done.set_value(std::move(o)); });
  auto outcome = done.get_future();
  ASSERT_EQ(outcome.wait_for(60s), std::future_status::ready);
  const TSearchOutcome o = outcome.get();
  EXPECT_EQ(progress->size(), 3u);
  ASSERT_GT(o.Addresses.size(), 20u);
  EXPECT_EQ(o.Addresses, std::vector<std::string>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(o.Addresses.size())));
  EXPECT_EQ(o.Problem, "SearXNG search ended at its deadline of 10 minutes ([search] deadline in the sources file), "
                       "keeping the " + std::to_string(o.Addresses.size()) + " addresses found");
}

TEST_F(SearchBackEnd, ASlowPageIsCutAtTheDeadline) {
  // Page 2 would take a minute; the deadline is a second away when it is asked.
  ASSERT_TRUE(Sim().SetFaults("pageno=2 head-delay:60000\n"));
  TShiftedClock clock;
  // The deadline is read on the shifted clock: the test moves it, never waits for it.
  TPageProtocol protocol = TSearxngSearch::Protocol(SearxngUrl(), std::chrono::seconds(600));
  protocol.Now = clock.Now();
  TPagedSearch search(FClient, protocol);
  std::promise<TSearchOutcome> done;
  search.Start(SearchQueryText("deep dive"), 1000,
               [&clock](const TSearchProgress& p) {
                 if (p.Page == 2) *clock.Shift = 599 * 1000;
               },
               [&done](TSearchOutcome o) { done.set_value(std::move(o)); });
  auto outcome = done.get_future();
  ASSERT_EQ(outcome.wait_for(30s), std::future_status::ready) << "the page was not cut at the deadline";
  const TSearchOutcome o = outcome.get();
  EXPECT_FALSE(o.Addresses.empty());
  EXPECT_EQ(o.Problem.rfind("SearXNG search ended at its deadline of 10 minutes", 0), 0u) << o.Problem;
}

TEST_F(SearchBackEnd, AFailureHalfWayKeepsTheAddressesSoFar) {
  ASSERT_TRUE(Sim().SetFaults("pageno=3 status:500\n"));
  TSearxngSearch search(FClient, SearxngUrl());
  const THarvestRecord r = Harvest(search, "deep dive", 1000);
  const auto full = sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Searxng, "deep dive", 1000);
  ASSERT_GT(r.Outcome.Addresses.size(), 20u);
  EXPECT_EQ(r.Outcome.Addresses, std::vector<std::string>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(
                                                                                          r.Outcome.Addresses.size())));
  EXPECT_NE(r.Outcome.Problem.find("(HTTP 500)"), std::string::npos) << r.Outcome.Problem;
  EXPECT_EQ(r.Progress.size(), 3u);
}

TEST_F(SearchBackEnd, JsonDisabledAndNoServerAreExplained) {
  test::TSimProcess off(kOff);
  {
    TSearxngSearch search(FClient, off.ServiceUrl() + "/");
    EXPECT_NE(Harvest(search, "deep dive", 100).Outcome.Problem.find(
                  "refuses JSON output (HTTP 403: JSON output disabled on this instance); add json to search: formats: "
                  "in its settings.yml"),
              std::string::npos);
  }
  const std::string closed = off.ServiceUrl() + "/";
  off.Stop();
  TSearxngSearch search(FClient, closed);
  const std::string problem = Harvest(search, "deep dive", 100).Outcome.Problem;
  EXPECT_EQ(problem.rfind("SearXNG at 127.0.0.1:" + std::to_string(off.Port()) + ": ", 0), 0u) << problem;
  EXPECT_GT(problem.size(), 30u);
}

TEST_F(SearchBackEnd, OverTlsWithTheSimulatorsCaAndRefusedWithoutIt) {
  live::TNetworkSettings settings = FastSettings();
  settings.CaFile = Sim().CaFile();
  live::TLiveClient tls(settings);
  {
    TSearxngSearch search(tls, Sim().HttpsServiceUrl() + "/");
    const THarvestRecord r = Harvest(search, "blue widgets", 100);
    EXPECT_EQ(r.Outcome.Problem, "");
    EXPECT_EQ(r.Outcome.Addresses, sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Searxng, "blue widgets", 100));
  }
  {
    TBraveSearch search(tls, Sim().HttpsServiceUrl() + "/res/v1/web/search", "sim-brave-key");
    const THarvestRecord r = Harvest(search, "blue widgets", 100);
    EXPECT_EQ(r.Outcome.Problem, "");
    EXPECT_EQ(r.Outcome.Addresses, sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Brave, "blue widgets", 100));
  }
  // Without the simulator's CA the certificate is not trusted: said so, nothing harvested.
  TSearxngSearch search(FClient, Sim().HttpsServiceUrl() + "/");
  const THarvestRecord r = Harvest(search, "blue widgets", 100);
  EXPECT_TRUE(r.Outcome.Addresses.empty());
  EXPECT_EQ(r.Outcome.Problem.rfind("SearXNG at 127.0.0.1:" + std::to_string(Sim().HttpsPort()) + ": ", 0), 0u)
      << r.Outcome.Problem;
  EXPECT_NE(r.Outcome.Problem.find("certificate"), std::string::npos) << r.Outcome.Problem;
}

// A service that gives no answer at all names the key to check.
TEST_F(SearchBackEnd, NoAnswerNamesWhatToCheckInTheSourcesFile) {
  TSearxngSearch untrusted(FClient, Sim().HttpsServiceUrl() + "/");
  const std::string tls = Harvest(untrusted, "blue widgets", 100).Outcome.Problem;
  EXPECT_TRUE(tls.ends_with("; if its certificate comes from a CA of your own, name that CA in [network] ca-file of "
                            "the sources file"))
      << tls;
  // A port nobody listens on: the simulator's, once it has stopped, would
  // race; port 1 on loopback is refused at once.
  TSearxngSearch refused(FClient, "http://127.0.0.1:1/");
  const std::string connect = Harvest(refused, "blue widgets", 100).Outcome.Problem;
  EXPECT_TRUE(connect.ends_with("; check [search] searxng-url in the sources file")) << connect;
  TBraveSearch brave(FClient, "http://127.0.0.1:1/res/v1/web/search", "key");
  EXPECT_TRUE(Harvest(brave, "x", 20).Outcome.Problem.ends_with("; check [search] brave-url in the sources file"));
}

TEST_F(SearchBackEnd, StartAgainEndsTheHarvestUnderWayAndBeginsAfresh) {
  // The first harvest waits on its second page when the second one starts.
  ASSERT_TRUE(Sim().SetFaults("pageno=2 head-delay:3000\n"));
  TSearxngSearch search(FClient, SearxngUrl());
  std::promise<void> secondPage;
  std::atomic<int> firstPages{0};
  std::atomic<int> firstDone{0};
  search.Start(SearchQueryText("deep dive"), 1000,
               [&](const TSearchProgress&) {
                 if (++firstPages == 2) secondPage.set_value();
               },
               [&](TSearchOutcome) { ++firstDone; });
  ASSERT_EQ(secondPage.get_future().wait_for(60s), std::future_status::ready);

  const THarvestRecord r = Harvest(search, "deep dive", 1000);
  EXPECT_EQ(r.Outcome.Problem, "");
  const auto expected = sim::ExpectedLiveHarvest(Web(), sim::TLiveEngine::Searxng, "deep dive", 1000);
  EXPECT_EQ(r.Outcome.Addresses, expected);
  ASSERT_FALSE(r.Progress.empty());
  EXPECT_EQ(r.Progress.front().Page, 1);
  // Each address reported as new once, by this harvest alone.
  std::vector<std::string> reported;
  for (const TSearchProgress& p : r.Progress) reported.insert(reported.end(), p.NewAddresses.begin(), p.NewAddresses.end());
  ASSERT_LE(reported.size(), expected.size());
  EXPECT_TRUE(std::equal(reported.begin(), reported.end(), expected.begin()));
  // The first harvest's second page was asked before any of the second's and
  // was aborted by the second Start: nothing of it came through.
  EXPECT_EQ(firstPages, 2);
  EXPECT_EQ(firstDone, 0);
}

TEST_F(SearchBackEnd, StopEndsTheHarvestWithoutALateHandler) {
  ASSERT_TRUE(Sim().SetFaults("pageno=2 head-delay:3000\n"));
  std::atomic<int> calls{0};
  std::promise<void> secondPage;
  {
    TSearxngSearch search(FClient, SearxngUrl());
    search.Start(SearchQueryText("deep dive"), 1000,
                 [&](const TSearchProgress& p) {
                   if (p.Page == 2) secondPage.set_value();
                 },
                 [&](TSearchOutcome) { ++calls; });
    ASSERT_EQ(secondPage.get_future().wait_for(60s), std::future_status::ready);
    search.Stop();
    std::this_thread::sleep_for(200ms);  // an aborted answer would have arrived by now
    EXPECT_EQ(calls, 0);
  }
  // Stop from the progress handler itself.
  {
    TBraveSearch search(FClient, BraveUrl(), "sim-brave-key");
    std::atomic<int> pages{0};
    search.Start(SearchQueryText("deep dive"), 1000,
                 [&](const TSearchProgress&) {
                   if (++pages == 2) search.Stop();
                 },
                 [&](TSearchOutcome) { ++calls; });
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(calls, 0);
  }
}

}  // namespace
}  // namespace halvane::sources
