// Requests and answers of the live search services, without a network: the
// addresses each answer gives and the words a user reads for each error.
#include <gtest/gtest.h>

#include "sources/TBraveSearch.h"
#include "sources/TLiveHarvest.h"
#include "sources/TSearxngSearch.h"

namespace halvane::sources {
namespace {

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
      {Answer(429, "", {{"retry-after", "12"}}),
       "SearXNG at searx.example.org is limiting requests (HTTP 429), retry after 12 s; its bot limiter is on "
       "(server: limiter: in settings.yml), turn it off for your own instance"},
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
