#include "sources/TBraveSearch.h"

#include "sources/ServiceJson.h"

#include "base/MarkerScan.h"
#include "sources/ServiceErrors.h"

namespace halvane::sources {
namespace {

constexpr std::string_view kEngine = "Brave Search";

struct TBraveError {
  std::string Code;
  std::string Detail;
};

// {"type":"ErrorResponse","error":{"status":..,"code":..,"detail":..}}
TBraveError ErrorOfBody(const std::string& body) {
  TBraveError out;
  const nlohmann::json json = ParseServiceJson(body);
  if (!json.is_object()) return out;
  const auto error = json.find("error");
  if (error == json.end() || !error->is_object()) return out;
  if (const auto code = error->find("code"); code != error->end() && code->is_string()) out.Code = *code;
  if (const auto detail = error->find("detail"); detail != error->end() && detail->is_string()) out.Detail = *detail;
  return out;
}

}  // namespace

TBraveSearch::TBraveSearch(live::TLiveClient& client, std::string url, std::string key)
    : FPaged(client, TPageProtocol{std::string(kEngine), url, kMaxPages,
                                   [url, key](const std::string& query, int page) {
                                     return BuildRequest(url, key, query, page);
                                   },
                                   [url](const live::TLiveResponse& response) { return ParseAnswer(response, url); }}) {}

void TBraveSearch::Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
                         TDoneHandler done) {
  FPaged.Start(std::move(queryText), maxAddresses, std::move(progress), std::move(done));
}

void TBraveSearch::Stop() { FPaged.Stop(); }

std::string TBraveSearch::Name() const { return std::string(kEngine); }

live::TLiveRequest TBraveSearch::BuildRequest(std::string_view url, std::string_view key, std::string_view queryText,
                                              int pageIndex) {
  live::TLiveRequest request;
  request.Url = std::string(url.substr(0, url.find('#')));
  request.Url += request.Url.find('?') == std::string::npos ? '?' : '&';
  request.Url += "q=" + EncodeForUrl(queryText) + "&count=" + std::to_string(kPageSize) +
                 "&offset=" + std::to_string(pageIndex);
  request.Headers = {{"Accept", "application/json"}, {"X-Subscription-Token", std::string(key)}};
  request.Kind = live::TRequestKind::Api;
  request.MaxBodyBytes = kMaxAnswerBytes;
  return request;
}

TSearchPage TBraveSearch::ParseAnswer(const live::TLiveResponse& response, std::string_view url) {
  const std::string label = ServiceLabel(kEngine, url);
  TSearchPage page;
  if (!response.Succeeded()) {
    const TBraveError error = response.Answered() ? ErrorOfBody(response.Body) : TBraveError{};
    const long status = response.Answered() ? response.Status : 0;
    if (status == 401 || status == 403 || error.Code == "SUBSCRIPTION_TOKEN_INVALID") {
      page.Error = label + " refused the subscription token (HTTP " + std::to_string(status) +
                   (error.Detail.empty() ? "" : ": " + ShownText(error.Detail)) + "); check brave-key";
    } else if (status == 422) {
      page.Error = label + " refused the request (HTTP 422" +
                   (error.Detail.empty() ? "" : ": " + ShownText(error.Detail)) + ")";
    } else if (status == 429) {
      page.Error = DescribeFailure(label, response, error.Detail) + "; your plan's rate or monthly quota is used up";
    } else {
      page.Error = DescribeFailure(label, response, error.Detail);
    }
    return page;
  }
  const nlohmann::json json = ParseServiceJson(response.Body);
  if (!json.is_object() || (json.contains("type") && json["type"] != "search")) {
    page.Error = label + " gave an answer that is not Brave's search JSON; is brave-url right?";
    return page;
  }
  // No "web" part: nothing found.
  if (const auto web = json.find("web"); web != json.end() && web->is_object()) {
    if (const auto results = web->find("results"); results != web->end() && results->is_array()) {
      for (const nlohmann::json& result : *results) {
        if (!result.is_object()) continue;
        const auto link = result.find("url");
        if (link != result.end() && link->is_string()) page.Urls.push_back(link->get<std::string>());
      }
    }
  }
  page.MoreAvailable = false;
  if (const auto query = json.find("query"); query != json.end() && query->is_object()) {
    const auto more = query->find("more_results_available");
    page.MoreAvailable = more != query->end() && more->is_boolean() && more->get<bool>();
  }
  return page;
}

}  // namespace halvane::sources
