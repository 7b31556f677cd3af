// The live services of the simulated web: SearXNG-, Brave- and Open
// PageRank-style answers, their errors, and the model's live harvest.
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <set>

#include "tools/sim/LiveSearch.h"
#include "tools/sim/SimText.h"
#include "tools/sim/TOpenPageRankService.h"
#include "tools/sim/TTrancoDownload.h"
#include "tests/support/TSimSuite.h"
#include "tools/sim/TSimWeb.h"

namespace halvane::sim {
namespace {

constexpr char kSmall[] = HALVANE_TEST_DATA "/sim/small.conf";
const std::string kOff = std::string(HALVANE_TEST_DATA) + "/sim/live-off.conf";
const std::string kQuery = EncodePercent("\"deep dive\" \"comment\" \"powered by wordpress\"");

class SimLiveServices : public test::TSimSuite<kSmall> {
 protected:
  void TearDown() override { Sim().ClearFaults(); }

  static httplib::Result Get(const std::string& target, const httplib::Headers& headers = {}) {
    httplib::Client client("127.0.0.1", Sim().Port());
    return client.Get(target, headers);
  }
  static httplib::Result PostJson(const nlohmann::json& body, const std::string& key = "sim-opr-key") {
    httplib::Client client("127.0.0.1", Sim().Port());
    return client.Post("/v1/domains/bulk", {{"Authorization", "Bearer " + key}}, body.dump(), "application/json");
  }
  static std::vector<std::string> Urls(const nlohmann::json& results) {
    std::vector<std::string> urls;
    for (const auto& r : results) urls.push_back(r.value("url", std::string()));
    return urls;
  }

};

TEST_F(SimLiveServices, SearxngPagesOverlapAndEndEmpty) {
  std::vector<std::string> previous;
  int pageNo = 1;
  for (;; ++pageNo) {
    const auto res = Get("/search?q=" + kQuery + "&format=json&pageno=" + std::to_string(pageNo));
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    const nlohmann::json answer = nlohmann::json::parse(res->body);
    const std::vector<std::string> page = SearxngPage(Web(), "deep dive", pageNo);
    EXPECT_EQ(Urls(answer["results"]), WithSearxngNoise(Web(), "deep dive", pageNo, page));
    if (page.empty()) {
      EXPECT_TRUE(answer["results"].empty());
      break;
    }
    if (!previous.empty()) {
      EXPECT_EQ(std::vector<std::string>(page.begin(), page.begin() + 3),
                std::vector<std::string>(previous.end() - 3, previous.end()));
    }
    previous = page;
    ASSERT_LT(pageNo, 50);
  }
  EXPECT_GT(pageNo, 5);
  // Every address is a blog page of the classic engine's list.
  const std::vector<std::string> all = LiveResultAddresses(Web(), "deep dive");
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
  for (const std::string& a : all) EXPECT_TRUE(Web().SiteOfAddress(a)) << a;
}

TEST_F(SimLiveServices, ModelHarvestKeepsDistinctBlogPagesUpToTheLimit) {
  const auto full = ExpectedLiveHarvest(Web(), TLiveEngine::Searxng, "deep dive", 1000);
  EXPECT_EQ(full, LiveResultAddresses(Web(), "deep dive"));
  const auto some = ExpectedLiveHarvest(Web(), TLiveEngine::Searxng, "deep dive", 40);
  EXPECT_EQ(some, std::vector<std::string>(full.begin(), full.begin() + 40));
  const auto brave = ExpectedLiveHarvest(Web(), TLiveEngine::Brave, "deep dive", 1000);
  EXPECT_EQ(brave, full);  // fewer than 200
  EXPECT_TRUE(ExpectedLiveHarvest(Web(), TLiveEngine::Brave, "nothing here", 100).empty());
}

TEST_F(SimLiveServices, SearxngRateLimitByFaultIsTheLimitersWithoutRetryAfter) {
  ASSERT_TRUE(Sim().SetFaults("format=json status:429\n"));
  const auto res = Get("/search?q=" + kQuery + "&format=json&pageno=1");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 429);
  EXPECT_FALSE(res->has_header("Retry-After"));
  EXPECT_EQ(res->body, "Too Many Requests");
  // The classic engine's route is untouched by the JSON rule.
  const auto classic = Get("/search?num=100&hl=en&q=" + kQuery + "&btnG=Search&start=0");
  ASSERT_TRUE(classic);
  EXPECT_EQ(classic->status, 200);
}

TEST_F(SimLiveServices, BraveChecksKeyAndParametersAndSaysWhenMoreFollow) {
  const httplib::Headers key = {{"X-Subscription-Token", "sim-brave-key"}, {"Accept", "application/json"}};
  const std::vector<std::string> all = LiveResultAddresses(Web(), "deep dive");
  std::vector<std::string> got;
  for (int offset = 0; offset < 10; ++offset) {
    const auto res = Get("/res/v1/web/search?q=" + kQuery + "&count=20&offset=" + std::to_string(offset), key);
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    const nlohmann::json answer = nlohmann::json::parse(res->body);
    for (const auto& u : Urls(answer["web"]["results"])) got.push_back(u);
    if (!answer["query"]["more_results_available"].get<bool>()) break;
  }
  EXPECT_EQ(got, all);

  const struct {
    std::string Target;
    httplib::Headers Headers;
    std::string Code;
  } refused[] = {
      {"/res/v1/web/search?q=" + kQuery, {{"X-Subscription-Token", "wrong"}}, "SUBSCRIPTION_TOKEN_INVALID"},
      {"/res/v1/web/search?q=" + kQuery, {}, "SUBSCRIPTION_TOKEN_INVALID"},
      {"/res/v1/web/search?q=" + kQuery + "&count=21", key, "VALIDATION"},
      {"/res/v1/web/search?q=" + kQuery + "&offset=10", key, "VALIDATION"},
      {"/res/v1/web/search?count=20", key, "VALIDATION"},
  };
  for (const auto& r : refused) {
    const auto res = Get(r.Target, r.Headers);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 422) << r.Target;
    const nlohmann::json answer = nlohmann::json::parse(res->body);
    EXPECT_EQ(answer["type"], "ErrorResponse");
    EXPECT_EQ(answer["error"]["code"], r.Code) << r.Target;
  }

  // Rate limits in X-RateLimit-* on every answer, never Retry-After.
  const auto fine = Get("/res/v1/web/search?q=" + kQuery, key);
  ASSERT_TRUE(fine);
  EXPECT_EQ(fine->get_header_value("X-RateLimit-Limit"), "1, 2000");
  EXPECT_EQ(fine->get_header_value("X-RateLimit-Reset"), "1, 1419704");
  ASSERT_TRUE(Sim().SetFaults("/res/v1/web/ status:429\n"));
  const auto limited = Get("/res/v1/web/search?q=" + kQuery, key);
  ASSERT_TRUE(limited);
  EXPECT_EQ(limited->status, 429);
  EXPECT_FALSE(limited->has_header("Retry-After"));
  EXPECT_EQ(limited->get_header_value("X-RateLimit-Remaining"), "0, 1500");
  EXPECT_EQ(limited->get_header_value("X-RateLimit-Policy"), "1;w=1, 2000;w=2592000");
  EXPECT_EQ(nlohmann::json::parse(limited->body)["error"]["code"], "RATE_LIMITED");
}

TEST_F(SimLiveServices, SearxngNamesTheEnginesThatFailedOnAnEmptyPage) {
  const std::string query = EncodePercent("\"engines down\" \"comment\" \"powered by wordpress\"");
  const auto first = Get("/search?q=" + query + "&format=json&pageno=1");
  ASSERT_TRUE(first);
  const nlohmann::json one = nlohmann::json::parse(first->body);
  EXPECT_FALSE(one["results"].empty());
  EXPECT_TRUE(one["unresponsive_engines"].empty());
  const auto second = Get("/search?q=" + query + "&format=json&pageno=2");
  ASSERT_TRUE(second);
  const nlohmann::json two = nlohmann::json::parse(second->body);
  EXPECT_TRUE(two["results"].empty());
  EXPECT_EQ(two["unresponsive_engines"],
            nlohmann::json::parse(R"([["duckduckgo","Suspended: too many requests"],["brave","timeout"]])"));
  EXPECT_TRUE(SearxngPage(Web(), "engines down", 2).empty());
  // The plain end of results lists no failed engine.
  const auto end = Get("/search?q=" + kQuery + "&format=json&pageno=49");
  ASSERT_TRUE(end);
  EXPECT_TRUE(nlohmann::json::parse(end->body)["unresponsive_engines"].empty());
}

TEST_F(SimLiveServices, OpenPageRankAnswersUnknownNamesFoundFalseAndErrorsAsObjects) {
  const TOpenPageRankService service(Web());
  std::vector<std::string> names;
  for (int i = 0; names.size() < 3 || service.Figure(names.back()).has_value(); ++i) {
    names.push_back("site" + std::to_string(i) + ".org");
  }
  const auto res = PostJson({{"domains", names}});
  ASSERT_TRUE(res);
  const nlohmann::json answer = nlohmann::json::parse(res->body);
  ASSERT_EQ(answer["results"].size(), names.size());
  for (const auto& r : answer["results"]) {
    if (service.Figure(r["domain"].get<std::string>())) {
      EXPECT_TRUE(r["found"].get<bool>());
      EXPECT_TRUE(r["rank"].is_number_integer()) << r;
    } else {
      EXPECT_EQ(r, nlohmann::json({{"domain", r["domain"]}, {"found", false}, {"open_page_rank", nullptr},
                                   {"rank", nullptr}, {"referring_domains", nullptr}}));
    }
  }
  const auto badKey = PostJson({{"domains", {"example.com"}}}, "wrong");
  ASSERT_TRUE(badKey);
  EXPECT_EQ(nlohmann::json::parse(badKey->body),
            nlohmann::json::parse(R"({"error":{"type":"UNAUTHORIZED","message":"Invalid API key"}})"));
  ASSERT_TRUE(Sim().SetFaults("/v1/domains/bulk status:429\n"));
  const auto limited = PostJson({{"domains", {"example.com"}}});
  ASSERT_TRUE(limited);
  EXPECT_EQ(limited->status, 429);
  EXPECT_EQ(nlohmann::json::parse(limited->body)["error"]["type"], "RATE_LIMITED");
}

TEST_F(SimLiveServices, TrancoListHasItsIdAndDate) {
  const auto id = Get("/top-1m-id");
  ASSERT_TRUE(id);
  EXPECT_EQ(id->status, 200);
  EXPECT_EQ(id->body, TTrancoDownload(Web()).ListId());
  EXPECT_EQ(id->body.size(), 5u);
  EXPECT_EQ(id->body.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), std::string::npos);
  for (const char* list : {"/top-1m.csv", "/top-1m.csv.zip"}) {
    const auto res = Get(list);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->get_header_value("Last-Modified"), "Wed, 09 Dec 2026 00:00:00 GMT") << list;
  }
}

TEST_F(SimLiveServices, OpenPageRankFoldsLeavesOutAndRefuses) {
  const TOpenPageRankService service(Web());
  const auto res = PostJson({{"domains", {"127.0.0.2", "www.example.com", "unknown-site.org", "bad name"}},
                             {"include_history", false}});
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  const nlohmann::json answer = nlohmann::json::parse(res->body);
  std::set<std::string> named;
  for (const auto& r : answer["results"]) {
    named.insert(r["domain"].get<std::string>());
    EXPECT_EQ(r["open_page_rank"].get<double>(), *service.Figure(r["domain"].get<std::string>()));
  }
  EXPECT_TRUE(named.contains("127.0.0.2"));
  EXPECT_EQ(named.contains("example.com"), service.Figure("example.com").has_value());
  EXPECT_FALSE(named.contains("www.example.com"));  // folded
  EXPECT_FALSE(named.contains("unknown-site.org"));  // left out
  EXPECT_EQ(answer["invalid"], nlohmann::json::array({"bad name"}));
  EXPECT_FALSE(service.Figure("127.0.0.6").has_value());  // the fifth site is unknown

  std::vector<std::string> many(101, "example.com");
  const auto tooMany = PostJson({{"domains", many}});
  ASSERT_TRUE(tooMany);
  EXPECT_EQ(tooMany->status, 400);
  const auto badKey = PostJson({{"domains", {"example.com"}}}, "wrong");
  ASSERT_TRUE(badKey);
  EXPECT_EQ(badKey->status, 401);
}

TEST(SimLiveServicesConfigured, JsonOffGives403AndKeysComeFromTheConfiguration) {
  test::TSimProcess sim(kOff);
  httplib::Client client("127.0.0.1", sim.Port());
  const auto searx = client.Get("/search?q=" + kQuery + "&format=json&pageno=1");
  ASSERT_TRUE(searx);
  EXPECT_EQ(searx->status, 403);
  EXPECT_NE(searx->body.find("JSON output disabled"), std::string::npos);
  const auto brave = client.Get("/res/v1/web/search?q=" + kQuery, {{"X-Subscription-Token", "other-brave-key"}});
  ASSERT_TRUE(brave);
  EXPECT_EQ(brave->status, 200);
  const auto opr = client.Post("/v1/domains/bulk", {{"Authorization", "Bearer other-opr-key"}},
                               R"({"domains":["127.0.0.2"]})", "application/json");
  ASSERT_TRUE(opr);
  EXPECT_EQ(opr->status, 200);
}

}  // namespace
}  // namespace halvane::sim
