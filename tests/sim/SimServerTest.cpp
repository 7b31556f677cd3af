// The server end to end: each route in its format, and walks over the
// served pages, done the way the program reads them, that must find exactly
// what the model expects.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>

#include <set>

#include "tools/sim/Expectation.h"
#include "tests/sim/SimWalk.h"
#include "tools/sim/TSearchEngine.h"
#include "tests/support/TSimSuite.h"
#include "tools/sim/TSimWeb.h"
#include "tools/reference/UrlHashReference.h"

namespace halvane::sim {
namespace {

using simtest::Fetch;
using simtest::RankReply;

constexpr char kSmall[] = HALVANE_TEST_DATA "/sim/small.conf";

class SimServer : public test::TSimSuite<kSmall> {
 protected:
};

TEST_F(SimServer, HarvestWalkFindsExactlyTheExpectedAddresses) {
  const TSearchEngine engine(Web());
  struct TCase {
    const char* keyword;
    int depth;
  };
  for (const TCase c : {TCase{"blue widgets", 0}, TCase{"blue widgets", 9}, TCase{"nothing here", 9},
                        TCase{"single page", 4}, TCase{"deep dive", 9}, TCase{"deep dive", 3},
                        TCase{"  odd \"key\" & <word> ", 9}}) {
    const auto walked = simtest::WalkHarvest(Sim().Port(), c.keyword, c.depth, Web().ImageSearchPrefix());
    EXPECT_EQ(walked, engine.ExpectedHarvest(c.keyword, c.depth)) << c.keyword << " depth " << c.depth;
  }
  // Ten full pages give many addresses; the case variants were dropped.
  EXPECT_GT(engine.ExpectedHarvest("deep dive", 9).size(), 100u);
}

TEST_F(SimServer, AnalysisWalkGivesExactlyTheExpectedRows) {
  for (const char* domain : {"myshop.example", " MYSHOP.example ", "", "127.0.0.3"}) {
    const auto addresses = TSearchEngine(Web()).ExpectedHarvest("blue widgets", 9);
    std::vector<TExpectedRow> walked;
    for (const std::string& a : addresses) {
      if (auto row = simtest::WalkRow(Sim().Port(), a, domain)) walked.push_back(*row);
    }
    const auto expected = ExpectedRows(Web(), "blue widgets", 9, domain);
    ASSERT_EQ(walked.size(), expected.size()) << domain;
    for (std::size_t i = 0; i < walked.size(); ++i) {
      EXPECT_EQ(walked[i], expected[i]) << domain << " row " << i << " " << expected[i].url;
    }
  }
  // The rows show every kind of cell.
  const auto rows = ExpectedRows(Web(), "deep dive", 9, "myshop.example");
  std::set<std::string> links, rankings, anchors;
  for (const auto& r : rows) {
    links.insert(r.hasYourLink);
    rankings.insert(r.alexaRanking == "-" ? "-" : "number");
    anchors.insert(r.anchorName);
  }
  EXPECT_EQ(links, (std::set<std::string>{"Yes", "No"}));
  EXPECT_EQ(rankings, (std::set<std::string>{"-", "number"}));
  EXPECT_TRUE(anchors.count("my <b>shop</b>") && anchors.count("-") && anchors.count("myshop deals"));
}

TEST_F(SimServer, PageRankAcceptsBothChecksumsAndRefusesOthers) {
  const TBlogPage p = Web().Page(0, 3);
  // The page exactly as the program spells it: tracking tail, "&" and all.
  const std::string page = "www." + Web().SiteHost(0) + p.path + Web().TrackingTail(p);
  const std::string q = "info:" + page;
  const std::string want = "Rank_1:1:" + std::to_string(p.rank) + "\n";
  EXPECT_EQ(RankReply(Sim().Port(), page, test::ReferenceUrlHash(q, false)), want);
  EXPECT_EQ(RankReply(Sim().Port(), page, test::ReferenceUrlHash(q, true)), want);
  EXPECT_EQ(RankReply(Sim().Port(), page, test::ReferenceUrlHash(q, false) ^ 1u), "");
  EXPECT_EQ(RankReply(Sim().Port(), page, 0), "");
  EXPECT_EQ(RankReply(Sim().Port(), page + "x", test::ReferenceUrlHash(q, false)), "");
  // Known checksums of the reference.
  EXPECT_EQ(RankReply(Sim().Port(), "www.example.com/", 2020957173u).rfind("Rank_1:1:", 0), 0u);
  EXPECT_EQ(RankReply(Sim().Port(), "www.example.com/", 2387556786u).rfind("Rank_1:1:", 0), 0u);
  EXPECT_EQ(Fetch("127.0.0.1", Sim().Port(), "/search?client=navclient-auto&ch=6882688726&q=").body, "");
  EXPECT_EQ(Fetch("127.0.0.1", Sim().Port(), "/search?client=navclient-auto&ch=x&ie=UTF-8&q=info:").body, "");
  EXPECT_EQ(Fetch("127.0.0.1", Sim().Port(), "/search?client=navclient-auto&ch=62316959404&ie=UTF-8&q=info:").body,
            "Rank_1:1:" + std::to_string(Web().RankOf("")) + "\n");
}

TEST_F(SimServer, BlogsLiveOnTheirOwnAddresses) {
  const TBlogPage p = Web().Page(2, 11);
  const auto page = Fetch(TSimWeb::SiteIp(2), Sim().Port(), p.path + Web().TrackingTail(p));
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.body, Web().RenderPage(p));
  EXPECT_EQ(Fetch(TSimWeb::SiteIp(1), Sim().Port(), p.path).status, 404);  // another site
  EXPECT_EQ(Fetch("127.0.0.1", Sim().Port(), p.path).status, 404);
  for (int s = 0; s < Web().SiteCount(); ++s) {
    const auto home = Fetch(TSimWeb::SiteIp(s), Sim().Port(), "/");
    EXPECT_EQ(home.status, 200);
    EXPECT_NE(home.body.find(Web().PageAddress(Web().Page(s, 0))), std::string::npos);
  }
  EXPECT_EQ(Fetch(TSimWeb::SiteIp(0), Sim().Port(), "/wp-content/themes/simple/style.css").status, 200);
  EXPECT_EQ(Fetch(TSimWeb::SiteIp(3), Sim().Port(), "/wp-content/themes/simple/style.css").status, 404);
}

TEST_F(SimServer, RankingAndUpdateRoutes) {
  const TBlogPage p = Web().Page(0, 1);
  const std::string address = Web().PageAddress(p) + Web().TrackingTail(p);
  const auto ranking = Fetch("127.0.0.1", Sim().Port(), "/siteinfo/" + address);
  EXPECT_EQ(ranking.status, 200);
  EXPECT_NE(ranking.body.find("<img src=\"/images/icons/globe-sm.jpg\""), std::string::npos);
  EXPECT_NE(ranking.body.find(" " + Web().RankingNumber(0) + " </div>"), std::string::npos);
  const auto unknown = Fetch("127.0.0.1", Sim().Port(), "/siteinfo/http://elsewhere.example/");
  EXPECT_EQ(unknown.body.find("globe-sm.jpg"), std::string::npos);

  const auto update = Fetch("127.0.0.1", Sim().Port(), "/liveupdate/halvane/mainappupdate.inf");
  EXPECT_EQ(update.status, 200);
  EXPECT_EQ(update.body, "[APPLICATION]\r\nName=Halvane\r\nVersion=2.30\r\n");
  EXPECT_EQ(Fetch("127.0.0.1", Sim().Port(), "/liveupdate/other/mainappupdate.inf").status, 404);
}

TEST_F(SimServer, ResultPagesAsServedMatchTheModel) {
  const std::string target =
      "/search?num=100&hl=en&q=%22blue+widgets%22+%22comment%22+%22powered+by+wordpress%22&btnG=Search&start=200";
  const auto page = Fetch("127.0.0.1", Sim().Port(), target);
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.body, TSearchEngine(Web()).RenderResultPage("blue widgets", 2));
  const auto past = Fetch("127.0.0.1", Sim().Port(), target.substr(0, target.size() - 3) + "900");
  EXPECT_NE(past.body.find("did not match any documents"), std::string::npos);
}

TEST_F(SimServer, SurvivesHostileRequests) {
  const int port = Sim().Port();
  for (const std::string& request :
       {std::string("GARBAGE\r\n\r\n"), "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n",
        std::string("GET /search?q=%%%&start=99999999999999999999 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
        std::string("GET /_sim/body?size=999999999999 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
        std::string("GET /_sim/redirect/x/ HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
        std::string("POST /news/getlastnews.php HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; "
                    "boundary=zz\r\nContent-Length: 9000000\r\n\r\n--zz\r\n"),
        std::string("POST /x/getlastnews.php HTTP/1.1\r\nContent-Type: multipart/form-data\r\nContent-Length: "
                    "4\r\n\r\nabcd")}) {
    simtest::Exchange("127.0.0.1", port, request, 1000);
  }
  EXPECT_EQ(Fetch("127.0.0.1", port, "/_sim/info").status, 200);
  EXPECT_EQ(Fetch("127.0.0.1", port, "/_sim/body?size=100000").body.size(), 100000u);
}

TEST(SimProcess, StopsCleanlyOnTerm) {
  test::TSimProcess sim;  // the built-in demo web
  EXPECT_GT(sim.Port(), 0);
  const auto info = Fetch("127.0.0.1", sim.Port(), "/_sim/info");
  EXPECT_NE(info.body.find("user-domain=myshop.example"), std::string::npos);
  const int status = sim.Stop();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(sim.Stop(), -1);
}

TEST(SimProcess, RefusesABadConfiguration) {
  EXPECT_THROW(test::TSimProcess(std::string(HALVANE_TEST_DATA) + "/sim/missing.conf"), std::runtime_error);
}

}  // namespace
}  // namespace halvane::sim
