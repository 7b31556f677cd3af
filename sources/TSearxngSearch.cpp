#include "sources/TSearxngSearch.h"

#include "sources/ServiceJson.h"

#include "base/MarkerScan.h"
#include "live/RetryAfter.h"
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

// Whether body sets out to be a JSON object or array (an HTML page does not).
bool LooksLikeJson(std::string_view body) {
  const std::size_t first = body.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && (body[first] == '{' || body[first] == '[');
}

// "duckduckgo (Suspended: too many requests), brave (timeout)" from the
// answer's unresponsive_engines, [engine, reason] pairs; "" when none.
std::string FailedEngines(const nlohmann::json& json) {
  constexpr std::size_t kShown = 8;
  const auto list = json.find("unresponsive_engines");
  if (list == json.end() || !list->is_array()) return {};
  std::string out;
  std::size_t count = 0;
  for (const nlohmann::json& pair : *list) {
    if (!pair.is_array() || pair.empty() || !pair[0].is_string()) continue;
    if (++count > kShown) continue;
    out += (out.empty() ? "" : ", ") + ShownText(pair[0].get<std::string>());
    if (pair.size() > 1 && pair[1].is_string()) out += " (" + ShownText(pair[1].get<std::string>()) + ")";
  }
  if (count > kShown) out += " and " + std::to_string(count - kShown) + " more";
  return out;
}

}  // namespace

TSearxngSearch::TSearxngSearch(live::TLiveClient& client, std::string baseUrl, std::chrono::seconds deadline)
    : FPaged(client, Protocol(std::move(baseUrl), deadline)) {}

TPageProtocol TSearxngSearch::Protocol(std::string baseUrl, std::chrono::seconds deadline) {
  TPageProtocol protocol;
  protocol.Engine = std::string(kEngine);
  protocol.AddressKey = "searxng-url";
  protocol.EngineUrl = baseUrl;
  protocol.MaxPages = kMaxPages;
  protocol.Request = [baseUrl](const std::string& query, int page) { return BuildRequest(baseUrl, query, page); };
  protocol.Parse = [baseUrl](const live::TLiveResponse& response) { return ParseAnswer(response, baseUrl); };
  protocol.Deadline = deadline;
  return protocol;
}

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
  request.RetryWait = [](const live::TLiveResponse& response, int attempt) -> std::optional<long> {
    if (response.Status == 429) return std::nullopt;
    return live::RetryWaitSeconds(response, attempt);
  };
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
                   "; its bot limiter is on: set limiter: false under server: in the settings.yml of your own "
                   "instance, or add this machine's address under pass_ip in its limiter.toml";
    } else if (response.Answered() && response.Status == 404) {
      page.Error = DescribeFailure(label, response) + "; is searxng-url the instance's base address?";
    } else {
      page.Error = DescribeFailure(label, response, response.Answered() ? ErrorOfBody(response.Body) : "");
    }
    return page;
  }
  std::string why;
  const nlohmann::json json = ParseServiceJson(response.Body, &why);
  if (json.is_discarded() && LooksLikeJson(response.Body)) {
    page.Error = label + " gave an answer that is " + why + "; is searxng-url right?";
    return page;
  }
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
  if (page.Urls.empty()) {
    const std::string failed = FailedEngines(json);
    if (!failed.empty()) page.Error = label + ": every engine failed: " + failed;
  }
  return page;
}

}  // namespace halvane::sources
