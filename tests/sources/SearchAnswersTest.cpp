// Requests and answers of the live search services, without a network: the
// addresses each answer gives and the words a user reads for each error.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sources/ServiceErrors.h"
#include "sources/ServiceJson.h"
#include "sources/MakeSearchBackEnd.h"
#include "sources/TBraveSearch.h"
#include "sources/TLiveHarvest.h"
#include "sources/TSearxngSearch.h"

namespace halvane::sources {
namespace {

using liverun::TSearchProgress;

live::TLiveResponse Answer(long status, std::string body, std::vector<std::pair<std::string, std::string>> headers = {}) {
  live::TLiveResponse r;
  r.Status = status;
  r.Body = std::move(body);
  r.Headers = std::move(headers);
  return r;
}

live::TLiveResponse Failed(live::TLiveError error, std::string message) {
  live::TLiveResponse r;
  r.Error = error;
  r.Message = std::move(message);
  return r;
}

const std::string kBase = "https://searx.example.org/";
const std::string kBrave = "https://api.search.brave.com/res/v1/web/search";

TEST(SearchRequests, SearxngAsksPagesFromOneWithTheFormEncodedQuery) {
  const std::string query = SearchQueryText("blue widgets");
  EXPECT_EQ(query, "\"blue widgets\" \"comment\" \"powered by wordpress\"");
  const live::TLiveRequest first = TSearxngSearch::BuildRequest(kBase, query, 0);
  EXPECT_EQ(first.Method, "GET");
  EXPECT_EQ(first.Url,
            "https://searx.example.org/search?q=%22blue+widgets%22+%22comment%22+%22powered+by+wordpress%22"
            "&format=json&pageno=1");
  EXPECT_EQ(first.Kind, live::TRequestKind::Api);
  EXPECT_EQ(TSearxngSearch::BuildRequest("http://127.0.0.1:8888", "a&b", 2).Url,
            "http://127.0.0.1:8888/search?q=a%26b&format=json&pageno=3");  // base without its slash
}

TEST(SearchRequests, BraveSendsTheTokenAndAPageIndex) {
  const live::TLiveRequest r = TBraveSearch::BuildRequest(kBrave, "tok", "\"x\"", 3);
  EXPECT_EQ(r.Url, kBrave + "?q=%22x%22&count=20&offset=3");
  EXPECT_EQ(r.Headers, (std::vector<std::pair<std::string, std::string>>{{"Accept", "application/json"},
                                                                          {"X-Subscription-Token", "tok"}}));
  EXPECT_EQ(TBraveSearch::BuildRequest(kBrave + "?country=de", "k", "q", 0).Url,
            kBrave + "?country=de&q=q&count=20&offset=0");
}

TEST(SearchAnswers, SearxngResultsGiveTheirUrlsInOrder) {
  const TSearchPage page = TSearxngSearch::ParseAnswer(
      Answer(200, R"({"query":"q","results":[{"url":"http://a.example/1","title":"A","engines":["x"],"score":1},
                   {"title":"no url"},{"url":7},"junk",{"url":"https://b.example/2"}],"answers":[]})"),
      kBase);
  EXPECT_TRUE(page.Error.empty());
  EXPECT_EQ(page.Urls, (std::vector<std::string>{"http://a.example/1", "https://b.example/2"}));
  EXPECT_TRUE(page.MoreAvailable);
  const TSearchPage end = TSearxngSearch::ParseAnswer(Answer(200, R"({"results":[]})"), kBase);
  EXPECT_TRUE(end.Error.empty());
  EXPECT_FALSE(end.MoreAvailable);
}

TEST(SearchAnswers, SearxngErrorsSayWhatToDo) {
  const struct {
    live::TLiveResponse Response;
    const char* Message;
  } cases[] = {
      {Answer(403, "<h1>Forbidden</h1>"),
       "SearXNG at searx.example.org refuses JSON output (HTTP 403: JSON output disabled on this instance); add json "
       "to search: formats: in its settings.yml and restart it"},
      {Answer(429, "Too Many Requests"),
       "SearXNG at searx.example.org is limiting requests (HTTP 429); its bot limiter is on: set limiter: false "
       "under server: in the settings.yml of your own instance, or add this machine's address under pass_ip in its "
       "limiter.toml"},
      {Answer(400, R"({"error":"search error: unknown engine"})"),
       "SearXNG at searx.example.org answered HTTP 400: search error: unknown engine"},
      {Answer(502, "<html>bad gateway</html>"),
       "SearXNG at searx.example.org failed on its side (HTTP 502), try again later"},
      {Answer(503, "", {{"Retry-After", "30"}}), "SearXNG at searx.example.org is unavailable (HTTP 503), retry after 30 s"},
      {Answer(404, "nope"), "SearXNG at searx.example.org answered HTTP 404; is searxng-url the instance's base address?"},
      {Failed(live::TLiveError::Tls, "certificate verify failed for searx.example.org"),
       "SearXNG at searx.example.org: certificate verify failed for searx.example.org"},
      {Failed(live::TLiveError::Timeout, "timed out after 30 s"), "SearXNG at searx.example.org: timed out after 30 s"},
      {Answer(200, "<html>results</html>"),
       "SearXNG at searx.example.org gave an answer that is not SearXNG's JSON (no results list); is searxng-url right?"},
      {Answer(200, R"({"results":{"url":"x"}})"),
       "SearXNG at searx.example.org gave an answer that is not SearXNG's JSON (no results list); is searxng-url right?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TSearxngSearch::ParseAnswer(c.Response, kBase).Error, c.Message);
  }
}

TEST(SearchAnswers, SearxngEmptyPageNamesTheEnginesThatFailed) {
  const TSearchPage failed = TSearxngSearch::ParseAnswer(
      Answer(200, R"({"results":[],"unresponsive_engines":[["duckduckgo","Suspended: too many requests"],
                   ["brave","timeout"],["odd"],[7,"x"],"junk"]})"),
      kBase);
  EXPECT_EQ(failed.Error,
            "SearXNG at searx.example.org: every engine failed: duckduckgo (Suspended: too many requests), brave "
            "(timeout), odd");
  // Results beside a failed engine are a page like any other.
  const TSearchPage some = TSearxngSearch::ParseAnswer(
      Answer(200, R"({"results":[{"url":"http://a.example/"}],"unresponsive_engines":[["brave","timeout"]]})"), kBase);
  EXPECT_EQ(some.Error, "");
  EXPECT_EQ(some.Urls, std::vector<std::string>{"http://a.example/"});
  // Many failed engines are counted, not all listed; their words are shown, not trusted.
  std::string many = R"({"results":[],"unresponsive_engines":[)";
  for (int i = 0; i < 12; ++i) many += std::string(i ? "," : "") + R"(["e)" + std::to_string(i) + R"(","t\u001b"])";
  const std::string error = TSearxngSearch::ParseAnswer(Answer(200, many + "]}"), kBase).Error;
  EXPECT_NE(error.find("e7 (t?) and 4 more"), std::string::npos) << error;
  EXPECT_EQ(error.find("e8"), std::string::npos) << error;
}

TEST(SearchAnswers, OneBadValueBesideTheAddressesCostsNothingButTheValue) {
  const std::string body = "{\"results\":[{\"url\":\"http://a.example/1\",\"title\":\"caf\xE9 \xC0\xAF\x01\"},"
                           "{\"url\":\"http://b.example/2\",\"title\":\"\\ud800 lone\",\"score\":1e400},"
                           "{\"url\":\"http://c.example/3\",\"title\":\"\\udc00\\ud83d\\ude00\",\"score\":-2E+999},"
                           "{\"url\":\"http://d.example/\xFF\"}]}";
  const TSearchPage page = TSearxngSearch::ParseAnswer(Answer(200, body), kBase);
  EXPECT_EQ(page.Error, "");
  // The damaged address is mended with a blank, which no harvest keeps.
  ASSERT_EQ(page.Urls, (std::vector<std::string>{"http://a.example/1", "http://b.example/2", "http://c.example/3",
                                                 "http://d.example/ "}));
  EXPECT_FALSE(TLiveHarvest("https://searx.example.org/", 10).Acceptable(page.Urls.back()));
  // Mending keeps length and position; a valid pair and escaped quotes stay as they are.
  const std::string pair = R"({"t":"\ud83d\ude00 \"1e999\"","n":[1e999,0.5,-0,12]})";
  EXPECT_EQ(MendServiceJson(pair), R"({"t":"\ud83d\ude00 \"1e999\"","n":[null ,0.5,-0,12]})");
}

TEST(SearchAnswers, AMalformedAnswerSaysWhere) {
  const std::string broken = R"({"results":[{"url":"http://a.example/"},{"url" "http://b.example/"}]})";
  EXPECT_EQ(TSearxngSearch::ParseAnswer(Answer(200, broken), kBase).Error,
            "SearXNG at searx.example.org gave an answer that is not valid JSON at byte 66; is searxng-url right?");
  EXPECT_EQ(TSearxngSearch::ParseAnswer(Answer(200, "  [1,2"), kBase).Error,
            "SearXNG at searx.example.org gave an answer that is not valid JSON at byte 7; is searxng-url right?");
}

TEST(SearchAnswers, BraveResultsAndTheLastPage) {
  const TSearchPage page = TBraveSearch::ParseAnswer(
      Answer(200, R"({"type":"search","query":{"original":"q","more_results_available":true},
                   "web":{"type":"search","results":[{"url":"https://a.example/"},{"title":"x"},{"url":"http://b.example/"}]}})"),
      kBrave);
  EXPECT_TRUE(page.Error.empty());
  EXPECT_EQ(page.Urls, (std::vector<std::string>{"https://a.example/", "http://b.example/"}));
  EXPECT_TRUE(page.MoreAvailable);
  // No web part: nothing found; no flag: no more pages.
  const TSearchPage none = TBraveSearch::ParseAnswer(Answer(200, R"({"type":"search","query":{}})"), kBrave);
  EXPECT_TRUE(none.Error.empty());
  EXPECT_TRUE(none.Urls.empty());
  EXPECT_FALSE(none.MoreAvailable);
}

TEST(SearchAnswers, BraveErrorsSayWhatToDo) {
  auto error = [](int status, const char* code, const char* detail) {
    return Answer(status, std::string(R"({"type":"ErrorResponse","error":{"id":"1","status":)") +
                              std::to_string(status) + R"(,"code":")" + code + R"(","detail":")" + detail + "\"}}");
  };
  const struct {
    live::TLiveResponse Response;
    const char* Message;
  } cases[] = {
      {error(422, "SUBSCRIPTION_TOKEN_INVALID", "The provided subscription token is invalid."),
       "Brave Search at api.search.brave.com refused the subscription token (HTTP 422: The provided subscription "
       "token is invalid.); check brave-key"},
      {error(422, "VALIDATION", "offset must be 0 to 9"),
       "Brave Search at api.search.brave.com refused the request (HTTP 422: offset must be 0 to 9)"},
      {Answer(429, R"({"type":"ErrorResponse","error":{"status":429,"code":"RATE_LIMITED","detail":"Request rate limit exceeded for plan."}})",
              {{"Retry-After", "2"}}),
       "Brave Search at api.search.brave.com is limiting requests (HTTP 429: Request rate limit exceeded for plan.), "
       "retry after 2 s; your plan's rate or monthly quota is used up"},
      {Answer(401, ""), "Brave Search at api.search.brave.com refused the subscription token (HTTP 401); check brave-key"},
      {Answer(500, "oops"), "Brave Search at api.search.brave.com failed on its side (HTTP 500), try again later"},
      {Failed(live::TLiveError::Resolve, "host name not found: api.search.brave.com"),
       "Brave Search at api.search.brave.com: host name not found: api.search.brave.com"},
      {Answer(200, R"({"type":"ErrorResponse"})"),
       "Brave Search at api.search.brave.com gave an answer that is not Brave's search JSON; is brave-url right?"},
      {Answer(200, "[1,2"),
       "Brave Search at api.search.brave.com gave an answer that is not Brave's search JSON; is brave-url right?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TBraveSearch::ParseAnswer(c.Response, kBrave).Error, c.Message);
  }
}

live::TLiveResponse BraveLimited(std::string remaining, std::string reset) {
  return Answer(429, R"({"type":"ErrorResponse","error":{"status":429,"code":"RATE_LIMITED","detail":"Over."}})",
                {{"X-RateLimit-Limit", "1, 2000"}, {"X-RateLimit-Remaining", std::move(remaining)},
                 {"X-RateLimit-Reset", std::move(reset)}});
}

TEST(SearchAnswers, BraveWaitsForTheSpentWindowOnlyWhenItResetsWithinAMinute) {
  EXPECT_EQ(TBraveSearch::RateLimitReset(BraveLimited("0, 1500", "1, 1419704")), 1);
  EXPECT_EQ(TBraveSearch::RateLimitReset(BraveLimited("1, 0", "1, 1419704")), 1419704);
  EXPECT_EQ(TBraveSearch::RateLimitReset(BraveLimited("0, 0", "1, 90")), 90);
  EXPECT_EQ(TBraveSearch::RateLimitReset(BraveLimited("", " 7 ,1000")), 7);  // none says which: the first
  EXPECT_EQ(TBraveSearch::RateLimitReset(BraveLimited("0", "soon")), std::nullopt);
  EXPECT_EQ(TBraveSearch::RateLimitReset(Answer(429, "")), std::nullopt);

  const auto wait = TBraveSearch::BuildRequest(kBrave, "k", "q", 0).RetryWait;
  ASSERT_TRUE(wait);
  EXPECT_EQ(wait(BraveLimited("0, 1500", "1, 1419704"), 1), 1);
  EXPECT_EQ(wait(BraveLimited("0, 1500", "1, 1419704"), 2), 1);
  EXPECT_EQ(wait(BraveLimited("0, 1500", "1, 1419704"), 3), std::nullopt);  // twice at most
  EXPECT_EQ(wait(BraveLimited("0, 1500", "60, 1419704"), 1), 60);
  EXPECT_EQ(wait(BraveLimited("0, 1500", "61, 1419704"), 1), std::nullopt);
  EXPECT_EQ(wait(BraveLimited("1, 0", "1, 1419704"), 1), std::nullopt);  // the month is spent
  // Retry-After is not Brave's: X-RateLimit-Reset decides.
  EXPECT_EQ(wait(Answer(429, "", {{"Retry-After", "30"}, {"X-RateLimit-Reset", "2"}}), 1), 2);

  EXPECT_EQ(TBraveSearch::ParseAnswer(BraveLimited("1, 0", "1, 1419704"), kBrave).Error,
            "Brave Search at api.search.brave.com is limiting requests (HTTP 429: Over.), retry after 17 days; your "
            "plan's rate or monthly quota is used up");
  EXPECT_EQ(TBraveSearch::ParseAnswer(BraveLimited("0, 0", "1, 5400"), kBrave).Error,
            "Brave Search at api.search.brave.com is limiting requests (HTTP 429: Over.), retry after 90 minutes; "
            "your plan's rate or monthly quota is used up");
}

TEST(SearchAnswers, SearxngDoesNotAskAgainAfterItsLimiterSaidNo) {
  const auto wait = TSearxngSearch::BuildRequest(kBase, "q", 0).RetryWait;
  ASSERT_TRUE(wait);
  EXPECT_EQ(wait(Answer(429, ""), 1), std::nullopt);
  EXPECT_EQ(wait(Answer(503, "", {{"Retry-After", "5"}}), 1), 5);
}

std::string AnswerFile(const std::string& name) {
  std::ifstream in(std::string(HALVANE_TEST_DATA) + "/sources/answers/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Answers in the services' own shapes, as files.
TEST(SearchAnswers, TheServicesOwnAnswersAsFiles) {
  const TSearchPage page = TSearxngSearch::ParseAnswer(Answer(200, AnswerFile("searxng-page.json")), kBase);
  EXPECT_EQ(page.Error, "");
  EXPECT_EQ(page.Urls, (std::vector<std::string>{"https://blog.example.org/2024/05/widgets/", "http://notes.example.net/?p=12"}));
  EXPECT_EQ(TSearxngSearch::ParseAnswer(Answer(200, AnswerFile("searxng-engines-failed.json")), kBase).Error,
            "SearXNG at searx.example.org: every engine failed: duckduckgo (Suspended: too many requests), brave (timeout)");
  const live::TLiveResponse limited =
      Answer(429, AnswerFile("brave-rate-limited.json"),
             {{"X-RateLimit-Limit", "1, 2000"}, {"X-RateLimit-Policy", "1;w=1, 2000;w=2592000"},
              {"X-RateLimit-Remaining", "1, 0"}, {"X-RateLimit-Reset", "1, 864000"}});
  EXPECT_EQ(TBraveSearch::ParseAnswer(limited, kBrave).Error,
            "Brave Search at api.search.brave.com is limiting requests (HTTP 429: Request rate limit exceeded for "
            "plan.), retry after 10 days; your plan's rate or monthly quota is used up");
}

TEST(SearchAnswers, WaitsInWords) {
  EXPECT_EQ(WaitInWords(1), "1 s");
  EXPECT_EQ(WaitInWords(119), "119 s");
  EXPECT_EQ(WaitInWords(121), "3 minutes");
  EXPECT_EQ(WaitInWords(3600), "60 minutes");
  EXPECT_EQ(WaitInWords(7200), "2 hours");
  EXPECT_EQ(WaitInWords(86400 * 2), "2 days");
}

TEST(SearchAnswers, DeepNestingIsRefusedBracketsInStringsAreNot) {
  const std::string deep = R"({"results":[{"url":"http://a.example/"},)" + std::string(100, '[') + std::string(100, ']') + "]}";
  EXPECT_FALSE(TSearxngSearch::ParseAnswer(Answer(200, deep), kBase).Error.empty());
  const std::string brackets = R"({"results":[{"url":"http://a.example/)" + std::string(100, '[') + R"(\"{"}]})";
  const TSearchPage page = TSearxngSearch::ParseAnswer(Answer(200, brackets), kBase);
  EXPECT_TRUE(page.Error.empty());
  EXPECT_EQ(page.Urls, std::vector<std::string>{"http://a.example/" + std::string(100, '[') + "\"{"});
}

TEST(SearchAnswers, ServiceTextIsShownNotTrusted) {
  const std::string error = TSearxngSearch::ParseAnswer(
      Answer(400, "{\"error\":\"bad\\u001b[31m" + std::string(300, 'x') + "\"}"), "http://user:pw@h.example:81/").Error;
  EXPECT_EQ(error.rfind("SearXNG at h.example:81 answered HTTP 400: bad?[31m", 0), 0u) << error;
  EXPECT_NE(error.find("..."), std::string::npos);
  EXPECT_EQ(error.find("pw"), std::string::npos);
}

TEST(SearchBackEnds, MadeFromTheSources) {
  live::TLiveClient client(live::TNetworkSettings{});
  TSources sources;
  EXPECT_EQ(MakeSearchBackEnd(sources, client), nullptr);
  sources.Engine = TSearchEngine::Searxng;
  EXPECT_THROW(MakeSearchBackEnd(sources, client), std::invalid_argument);
  sources.SearxngUrl = kBase;
  EXPECT_EQ(MakeSearchBackEnd(sources, client)->Name(), "SearXNG");
  sources.Engine = TSearchEngine::Brave;
  EXPECT_THROW(MakeSearchBackEnd(sources, client), std::invalid_argument);
  sources.BraveKey = "k";
  EXPECT_EQ(MakeSearchBackEnd(sources, client)->Name(), "Brave Search");
  EXPECT_EQ((TSearchProgress{"Brave Search", 3, 41, {}}).StatusText(), "Searching Brave Search, page 3...");
}

TEST(LiveHarvestRules, KeepsHttpAndHttpsOnceOffTheEngineInOrder) {
  TLiveHarvest harvest("https://searx.example.org:8443/", 4);
  EXPECT_EQ(harvest.Add({"http://a.example/1", "ftp://b.example/", "HTTP://A.example/1", "https://searx.example.org/x",
                         "http://searx.example.org:80/about", "mailto:x@y", "https://c.example/ 2", "javascript:x",
                         "https://d.example/\r\nX: y", "HTTPS://e.example/E"}),
            2u);
  EXPECT_EQ(harvest.Add({"http://a.example/1", "http://f.example/", "http://g.example/", "http://h.example/"}), 2u);
  EXPECT_TRUE(harvest.Full());
  EXPECT_EQ(harvest.Addresses(), (std::vector<std::string>{"http://a.example/1", "HTTPS://e.example/E",
                                                          "http://f.example/", "http://g.example/"}));
  EXPECT_FALSE(harvest.Acceptable("http://" + std::string(TLiveHarvest::kMaxAddressBytes, 'a')));
}

}  // namespace
}  // namespace halvane::sources
