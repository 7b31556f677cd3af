// Open PageRank's bulk requests and answers, without a network.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sources/TOpenPageRank.h"

namespace halvane::sources {
namespace {

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
       "Open PageRank at openpagerank.keywordseverywhere.com is limiting requests (HTTP 429: slow down)", false},
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

}  // namespace
}  // namespace halvane::sources
