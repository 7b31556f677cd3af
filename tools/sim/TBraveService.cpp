#include "TBraveService.h"

#include <nlohmann/json.hpp>

#include "LiveSearch.h"
#include "SimText.h"
#include "TSearchEngine.h"

namespace halvane::sim {

bool TBraveService::Asks(std::string_view method, std::string_view target) {
  return method == "GET" && target.substr(0, target.find('?')) == kPath;
}

TServiceReply TBraveService::Error(int status, std::string_view code, std::string_view detail) {
  if (code.empty()) code = status == 429 ? "RATE_LIMITED" : "ERROR";
  if (detail.empty()) detail = status == 429 ? "Request rate limit exceeded for plan." : "Something went wrong.";
  const nlohmann::json body = {
      {"type", "ErrorResponse"},
      {"error", {{"id", "sim-" + std::to_string(status)}, {"status", status}, {"code", code}, {"detail", detail}}},
      {"time", 1765238400}};
  TServiceReply reply{status, "application/json", body.dump(), {}};
  // The per-second window is spent; the month has some left.
  if (status == 429) reply.Headers = RateLimitHeaders(0, 1500);
  return reply;
}

std::vector<std::pair<std::string, std::string>> TBraveService::RateLimitHeaders(int secondLeft, int monthLeft) {
  return {{"X-RateLimit-Limit", "1, 2000"},
          {"X-RateLimit-Policy", "1;w=1, 2000;w=2592000"},
          {"X-RateLimit-Remaining", std::to_string(secondLeft) + ", " + std::to_string(monthLeft)},
          {"X-RateLimit-Reset", "1, " + std::to_string(kMonthResetSeconds)}};
}

TServiceReply TBraveService::Reply(const TServiceRequest& request) const {
  if (request.Header("X-Subscription-Token") != FWeb.Config().braveKey) {
    return Error(422, "SUBSCRIPTION_TOKEN_INVALID", "The provided subscription token is invalid.");
  }
  const std::string query = DecodePercent(QueryValue(request.Target, "q"), true);
  const std::string_view countText = QueryValue(request.Target, "count");
  const std::string_view offsetText = QueryValue(request.Target, "offset");
  const auto count = countText.empty() ? std::optional<std::uint64_t>(20) : ParseDecimal(countText, 1000);
  const auto offset = offsetText.empty() ? std::optional<std::uint64_t>(0) : ParseDecimal(offsetText, 1000);
  if (query.empty()) return Error(422, "VALIDATION", "Unable to validate request parameter(s): q is required.");
  if (!count || *count < 1 || *count > 20) {
    return Error(422, "VALIDATION", "Unable to validate request parameter(s): count must be 1 to 20.");
  }
  if (!offset || *offset > 9) {
    return Error(422, "VALIDATION", "Unable to validate request parameter(s): offset must be 0 to 9.");
  }

  const std::string keyword = TSearchEngine::KeywordOfQuery(query);
  bool more = false;
  std::vector<std::string> page = BravePage(FWeb, keyword, static_cast<int>(*offset), &more);
  if (page.size() > *count) page.resize(static_cast<std::size_t>(*count));
  nlohmann::json results = nlohmann::json::array();
  for (const std::string& url : page) {
    results.push_back({{"type", "search_result"}, {"title", "Notes"}, {"url", url}, {"description", "About " + keyword}});
  }
  nlohmann::json answer = {{"type", "search"},
                           {"query", {{"original", query}, {"more_results_available", more}}},
                           {"mixed", {{"type", "mixed"}}}};
  if (!results.empty()) answer["web"] = {{"type", "search"}, {"results", std::move(results)}};
  return {200, "application/json", answer.dump(), RateLimitHeaders(0, 1999)};
}

}  // namespace halvane::sim
