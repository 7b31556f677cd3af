#include "sources/TBraveSearch.h"

#include "sources/ServiceJson.h"

#include <algorithm>
#include <vector>

#include "base/MarkerScan.h"
#include "live/RetryAfter.h"
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

// "1, 1419704": the numbers of a rate limit header, one per window; a
// part that is no number counts as -1. At most 8 windows are read.
std::vector<long> NumberList(std::string_view text) {
  std::vector<long> out;
  while (!text.empty() && out.size() < 8) {
    const std::size_t comma = text.find(',');
    std::string_view part = text.substr(0, comma);
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t')) part.remove_prefix(1);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.remove_suffix(1);
    long value = part.empty() || part.size() > 12 ? -1 : 0;
    for (const char c : part) value = value >= 0 && c >= '0' && c <= '9' ? value * 10 + (c - '0') : -1;
    out.push_back(value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return out;
}

}  // namespace

TBraveSearch::TBraveSearch(live::TLiveClient& client, std::string url, std::string key,
                           std::chrono::seconds deadline)
    : FPaged(client, Protocol(std::move(url), std::move(key), deadline)) {}

TPageProtocol TBraveSearch::Protocol(std::string url, std::string key, std::chrono::seconds deadline) {
  TPageProtocol protocol;
  protocol.Engine = std::string(kEngine);
  protocol.AddressKey = "brave-url";
  protocol.EngineUrl = url;
  protocol.MaxPages = kMaxPages;
  protocol.Request = [url, key](const std::string& query, int page) { return BuildRequest(url, key, query, page); };
  protocol.Parse = [url](const live::TLiveResponse& response) { return ParseAnswer(response, url); };
  protocol.Deadline = deadline;
  return protocol;
}

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
  request.RetryWait = [](const live::TLiveResponse& response, int attempt) -> std::optional<long> {
    const std::optional<long> reset = response.Status == 429 ? RateLimitReset(response) : std::nullopt;
    if (!reset) return live::RetryWaitSeconds(response, attempt);
    if (attempt > 2 || *reset > kLongestWait) return std::nullopt;
    return *reset;
  };
  return request;
}

std::optional<long> TBraveSearch::RateLimitReset(const live::TLiveResponse& response) {
  const std::vector<long> resets = NumberList(response.Header("X-RateLimit-Reset"));
  if (resets.empty()) return std::nullopt;
  const std::vector<long> remaining = NumberList(response.Header("X-RateLimit-Remaining"));
  std::optional<long> spent;
  for (std::size_t i = 0; i < resets.size() && i < remaining.size(); ++i) {
    if (remaining[i] == 0 && resets[i] >= 0) spent = std::max(spent.value_or(0), resets[i]);
  }
  if (spent) return spent;
  return resets.front() >= 0 ? std::optional<long>(resets.front()) : std::nullopt;
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
      const std::optional<long> reset = RateLimitReset(response);
      page.Error = DescribeFailure(label, response, error.Detail) +
                   (reset ? ", retry after " + WaitInWords(*reset) : std::string()) +
                   "; your plan's rate or monthly quota is used up";
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
