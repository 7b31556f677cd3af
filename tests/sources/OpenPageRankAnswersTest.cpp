// Open PageRank's bulk requests and answers, without a network.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

#include "sources/TOpenPageRank.h"

namespace halvane::sources {
namespace {

using liverun::TAuthorityAnswer;

const std::string kUrl = "https://openpagerank.keywordseverywhere.com/v1/domains/bulk";

live::TLiveResponse Answer(long status, std::string body) {
  live::TLiveResponse r;
  r.Status = status;
  r.Body = std::move(body);
  return r;
}

TEST(OpenPageRankRequests, PostsTheDomainsWithTheBearerKey) {
  const live::TLiveRequest r = TOpenPageRank::BuildRequest(kUrl, "k3y", {"a.com", "b.org"});
  EXPECT_EQ(r.Method, "POST");
  EXPECT_EQ(r.Url, kUrl);
  EXPECT_EQ(r.ContentType, "application/json");
  EXPECT_EQ(r.Headers.front(), (std::pair<std::string, std::string>{"Authorization", "Bearer k3y"}));
  EXPECT_EQ(nlohmann::json::parse(r.Body),
            nlohmann::json::parse(R"({"domains":["a.com","b.org"],"include_history":false})"));
}

TEST(OpenPageRankRequests, DomainsAreRegistrableOrTheAddress) {
  EXPECT_EQ(TOpenPageRank::AuthorityDomain("https://www.Blog.Example.co.uk:8443/post?x=1"), "example.co.uk");
  EXPECT_EQ(TOpenPageRank::AuthorityDomain("http://127.0.0.2:8080/blog/"), "127.0.0.2");
  EXPECT_EQ(TOpenPageRank::AuthorityDomain("not an address"), "");
}

TEST(OpenPageRankAnswers, FiguresRoundHalfUpWithinZeroToTen) {
  EXPECT_EQ(TOpenPageRank::RoundAuthority(4.5), 5);
  EXPECT_EQ(TOpenPageRank::RoundAuthority(4.49), 4);
  EXPECT_EQ(TOpenPageRank::RoundAuthority(0.5), 1);
  EXPECT_EQ(TOpenPageRank::RoundAuthority(9.75), 10);
  EXPECT_EQ(TOpenPageRank::RoundAuthority(37.0), 10);
  EXPECT_EQ(TOpenPageRank::RoundAuthority(-2.0), 0);
  EXPECT_EQ(TOpenPageRank::RoundAuthority(1e308), 10);
}

TEST(OpenPageRankAnswers, MatchedByNameNeverByPosition) {
  const TAuthorityAnswer answer = TOpenPageRank::ParseAnswer(
      Answer(200, R"({"as_of":"2026-12-01","count":4,"results":[
          {"domain":"b.org","found":true,"open_page_rank":2.5,"rank":"9","referring_domains":3},
          {"domain":"www.C.net.","found":true,"open_page_rank":"6.49"},
          {"domain":"d.io","found":false,"open_page_rank":0},
          {"domain":"a.com","found":true,"open_page_rank":4.37},
          {"domain":"stranger.com","found":true,"open_page_rank":9},
          {"domain":"e.dev","open_page_rank":"lots"},
          "junk", {"found":true}],"invalid":["x"]})"),
      kUrl, {"a.com", "b.org", "c.net", "d.io", "e.dev", "left-out.com"});
  EXPECT_TRUE(answer.Error.empty());
  const std::map<std::string, std::optional<int>> expected = {
      {"a.com", 4}, {"b.org", 3}, {"c.net", 6}, {"d.io", std::nullopt}, {"e.dev", std::nullopt}, {"left-out.com", std::nullopt}};
  EXPECT_EQ(answer.Figures, expected);
}

TEST(OpenPageRankAnswers, TheDomainsOwnNameWinsOverAFoldedSubdomain) {
  const TAuthorityAnswer answer = TOpenPageRank::ParseAnswer(
      Answer(200, R"({"results":[{"domain":"a.com","open_page_rank":3},{"domain":"www.a.com","open_page_rank":8}]})"),
      kUrl, {"a.com"});
  EXPECT_EQ(answer.Figures.at("a.com"), 3);
}

TEST(OpenPageRankAnswers, ErrorsSayWhatToDo) {
  const std::vector<std::string> asked = {"a.com"};
  const struct {
    live::TLiveResponse Response;
    const char* Message;
    bool KeyRefused;
  } cases[] = {
      {Answer(401, R"({"status_code":401,"error":"Invalid API key"})"),
       "Open PageRank at openpagerank.keywordseverywhere.com refused the API key (HTTP 401: Invalid API key); check "
       "openpagerank-key",
       true},
      {Answer(400, R"({"error":"At most 100 domains per request"})"),
       "Open PageRank at openpagerank.keywordseverywhere.com refused the request (HTTP 400: At most 100 domains per "
       "request)",
       false},
      {Answer(429, R"({"message":"slow down"})"),
       "Open PageRank at openpagerank.keywordseverywhere.com is limiting requests (HTTP 429: slow down): its "
       "per-minute limit or this month's allowance of domains is spent (the free plan: 60 calls a minute, 30,000 "
       "domains a month)",
       false},
      {Answer(504, "<html>"),
       "Open PageRank at openpagerank.keywordseverywhere.com failed on its side (HTTP 504), try again later", false},
      {Answer(200, R"({"status":"ok"})"),
       "Open PageRank at openpagerank.keywordseverywhere.com gave an answer that is not Open PageRank's JSON (no "
       "results list); is openpagerank-url right?",
       false},
  };
  for (const auto& c : cases) {
    const TAuthorityAnswer answer = TOpenPageRank::ParseAnswer(c.Response, kUrl, asked);
    EXPECT_EQ(answer.Error, c.Message);
    EXPECT_EQ(answer.KeyRefused, c.KeyRefused);
    EXPECT_EQ(answer.Figures.at("a.com"), std::nullopt);
  }
}

TEST(OpenPageRankAnswers, TodaysShapesFoundFalseNullsIntegerRankAndOutOfRange) {
  const TAuthorityAnswer answer = TOpenPageRank::ParseAnswer(
      Answer(200, R"({"as_of":"2026-12-01","count":6,"results":[
          {"domain":"a.com","found":true,"open_page_rank":4.37,"rank":12346,"referring_domains":1200},
          {"domain":"b.org","found":false,"open_page_rank":null,"rank":null,"referring_domains":null},
          {"domain":"c.net","found":true,"open_page_rank":-1,"rank":1},
          {"domain":"d.io","found":true,"open_page_rank":1e308,"rank":2},
          {"domain":"e.dev","found":true,"open_page_rank":"NaN","rank":3},
          {"domain":"f.fr","found":true,"open_page_rank":1e400,"rank":4},
          {"domain":"g.de","found":true,"open_page_rank":10,"rank":5},
          {"domain":"h.eu","found":true,"open_page_rank":10.01,"rank":6}],"invalid":[]})"),
      kUrl, {"a.com", "b.org", "c.net", "d.io", "e.dev", "f.fr", "g.de", "h.eu"});
  EXPECT_EQ(answer.Error, "");
  const std::map<std::string, std::optional<int>> expected = {
      {"a.com", 4},          {"b.org", std::nullopt}, {"c.net", std::nullopt}, {"d.io", std::nullopt},
      {"e.dev", std::nullopt}, {"f.fr", std::nullopt}, {"g.de", 10},          {"h.eu", std::nullopt}};
  EXPECT_EQ(answer.Figures, expected);
}

TEST(OpenPageRankAnswers, ObjectErrorsAndTheLimitsOf429) {
  const TAuthorityAnswer limited = TOpenPageRank::ParseAnswer(
      Answer(429, R"({"error":{"type":"RATE_LIMITED","message":"Rate limit exceeded: 60 requests per minute"}})"),
      kUrl, {"a.com"});
  EXPECT_EQ(limited.Error,
            "Open PageRank at openpagerank.keywordseverywhere.com is limiting requests (HTTP 429: Rate limit exceeded: "
            "60 requests per minute): its per-minute limit or this month's allowance of domains is spent (the free "
            "plan: 60 calls a minute, 30,000 domains a month)");
  const TAuthorityAnswer refused = TOpenPageRank::ParseAnswer(
      Answer(401, R"({"error":{"type":"UNAUTHORIZED","message":"Invalid API key"}})"), kUrl, {"a.com"});
  EXPECT_EQ(refused.Error,
            "Open PageRank at openpagerank.keywordseverywhere.com refused the API key (HTTP 401: Invalid API key); "
            "check openpagerank-key");
  EXPECT_TRUE(refused.KeyRefused);
  EXPECT_EQ(TOpenPageRank::ParseAnswer(Answer(400, R"({"error":{"type":"BAD_REQUEST"}})"), kUrl, {"a.com"}).Error,
            "Open PageRank at openpagerank.keywordseverywhere.com refused the request (HTTP 400: BAD_REQUEST)");

  // A 429 waits once, then the call fails; each call may take 90 s.
  const live::TLiveRequest request = TOpenPageRank::BuildRequest(kUrl, "k", {"a.com"});
  EXPECT_EQ(request.TimeoutSeconds, 90);
  ASSERT_TRUE(request.RetryWait);
  EXPECT_EQ(request.RetryWait(Answer(429, ""), 1), 1);
  EXPECT_EQ(request.RetryWait(Answer(429, ""), 2), std::nullopt);
  EXPECT_EQ(request.RetryWait(Answer(503, ""), 2), 2);
}

std::string AnswerFile(const std::string& name) {
  std::ifstream in(std::string(HALVANE_TEST_DATA) + "/sources/answers/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(OpenPageRankAnswers, TheServicesOwnAnswersAsFiles) {
  const TAuthorityAnswer bulk = TOpenPageRank::ParseAnswer(Answer(200, AnswerFile("openpagerank-bulk.json")), kUrl,
                                                           {"example.com", "no-such-site.example", "wordpress.org"});
  EXPECT_EQ(bulk.Error, "");
  EXPECT_EQ(bulk.Figures, (std::map<std::string, std::optional<int>>{
                              {"example.com", 4}, {"no-such-site.example", std::nullopt}, {"wordpress.org", 10}}));
  EXPECT_EQ(TOpenPageRank::ParseAnswer(Answer(429, AnswerFile("openpagerank-rate-limited.json")), kUrl, {"a.com"}).Error,
            "Open PageRank at openpagerank.keywordseverywhere.com is limiting requests (HTTP 429: Monthly domain "
            "allowance exhausted): its per-minute limit or this month's allowance of domains is spent (the free "
            "plan: 60 calls a minute, 30,000 domains a month)");
}

}  // namespace
}  // namespace halvane::sources
