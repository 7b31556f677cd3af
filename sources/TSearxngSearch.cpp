#include "sources/TSearxngSearch.h"

#include "sources/ServiceJson.h"

#include "base/MarkerScan.h"
#include "sources/ServiceErrors.h"

namespace halvane::sources {
namespace {

constexpr std::string_view kEngine = "SearXNG";

// The "error" text of a JSON error body, if it has one.
std::string ErrorOfBody(const std::string& body) {
  const nlohmann::json json = ParseServiceJson(body);
  if (json.is_object()) {
    const auto it = json.find("error");
    if (it != json.end() && it->is_string()) return it->get<std::string>();
  }
  return {};
}

}  // namespace

TSearxngSearch::TSearxngSearch(live::TLiveClient& client, std::string baseUrl)
    : FPaged(client, TPageProtocol{std::string(kEngine), baseUrl, kMaxPages,
                                   [baseUrl](const std::string& query, int page) {
                                     return BuildRequest(baseUrl, query, page);
                                   },
                                   [baseUrl](const live::TLiveResponse& response) {
                                     return ParseAnswer(response, baseUrl);
                                   }}) {}

void TSearxngSearch::Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
                           TDoneHandler done) {
  FPaged.Start(std::move(queryText), maxAddresses, std::move(progress), std::move(done));
}

void TSearxngSearch::Stop() { FPaged.Stop(); }

std::string TSearxngSearch::Name() const { return std::string(kEngine); }

live::TLiveRequest TSearxngSearch::BuildRequest(std::string_view baseUrl, std::string_view queryText,
                                                int pageIndex) {
  live::TLiveRequest request;
  request.Url = std::string(baseUrl.substr(0, baseUrl.find_first_of("?#")));
  if (request.Url.empty() || request.Url.back() != '/') request.Url += '/';
  request.Url += "search?q=" + EncodeForUrl(queryText) + "&format=json&pageno=" + std::to_string(pageIndex + 1);
  request.Headers = {{"Accept", "application/json"}};
  request.Kind = live::TRequestKind::Api;
  request.MaxBodyBytes = kMaxAnswerBytes;
  return request;
}

TSearchPage TSearxngSearch::ParseAnswer(const live::TLiveResponse& response, std::string_view baseUrl) {
  const std::string label = ServiceLabel(kEngine, baseUrl);
  TSearchPage page;
  if (!response.Succeeded()) {
    if (response.Answered() && response.Status == 403) {
      page.Error = label + " refuses JSON output (HTTP 403: JSON output disabled on this instance); "
                           "add json to search: formats: in its settings.yml and restart it";
    } else if (response.Answered() && response.Status == 429) {
      page.Error = DescribeFailure(label, response) +
                   "; its bot limiter is on (server: limiter: in settings.yml), turn it off for your own instance";
    } else if (response.Answered() && response.Status == 404) {
      page.Error = DescribeFailure(label, response) + "; is searxng-url the instance's base address?";
    } else {
      page.Error = DescribeFailure(label, response, response.Answered() ? ErrorOfBody(response.Body) : "");
    }
    return page;
  }
  const nlohmann::json json = ParseServiceJson(response.Body);
  if (!json.is_object() || !json.contains("results") || !json["results"].is_array()) {
    page.Error = label + " gave an answer that is not SearXNG's JSON (no results list); is searxng-url right?";
    return page;
  }
  for (const nlohmann::json& result : json["results"]) {
    if (!result.is_object()) continue;
    const auto url = result.find("url");
    if (url != result.end() && url->is_string()) page.Urls.push_back(url->get<std::string>());
  }
  page.MoreAvailable = !page.Urls.empty();
  return page;
}

}  // namespace halvane::sources
