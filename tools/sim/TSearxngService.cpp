#include "TSearxngService.h"

#include <nlohmann/json.hpp>

#include "LiveSearch.h"
#include "SimText.h"
#include "TSearchEngine.h"

namespace halvane::sim {

bool TSearxngService::Asks(std::string_view method, std::string_view target) {
  return method == "GET" && target.substr(0, target.find('?')) == "/search" && QueryValue(target, "format") == "json";
}

TServiceReply TSearxngService::Error(int status) {
  if (status == 403) {
    return {403, "text/html", "<html><body><h1>403 Forbidden</h1><p>JSON output disabled on this instance</p></body></html>\n", {}};
  }
  // The bot limiter's answer: no Retry-After, the window is an hour.
  if (status == 429) return {429, "text/plain", "Too Many Requests", {}};
  // Other failures come from the web server in front of it: an HTML page.
  return {status, "text/html", "<html><body><h1>" + std::to_string(status) + "</h1></body></html>\n", {}};
}

TServiceReply TSearxngService::Reply(const TServiceRequest& request) const {
  if (!FWeb.Config().searxngJson) return Error(403);
  const std::string query = DecodePercent(QueryValue(request.Target, "q"), true);
  if (query.empty()) return {400, "application/json", R"({"error":"search error: empty query"})", {}};
  const std::string_view pageText = QueryValue(request.Target, "pageno");
  const auto pageNo = pageText.empty() ? std::optional<std::uint64_t>(1) : ParseDecimal(pageText, 100000);
  if (!pageNo || *pageNo < 1) return {400, "application/json", R"({"error":"search error: invalid pageno"})", {}};

  const std::string keyword = TSearchEngine::KeywordOfQuery(query);
  const int n = static_cast<int>(*pageNo);
  const std::vector<std::string> page = SearxngPage(FWeb, keyword, n);
  nlohmann::json results = nlohmann::json::array();
  int position = 0;
  for (const std::string& url : page.empty() ? page : WithSearxngNoise(FWeb, keyword, n, page)) {
    nlohmann::json result = {{"title", "Result " + std::to_string(++position)},
                             {"content", "About " + keyword},
                             {"engine", "simsearch"},
                             {"engines", {"simsearch"}},
                             {"score", 1.0 / position}};
    if (!url.empty()) result["url"] = url;
    results.push_back(std::move(result));
  }
  nlohmann::json unresponsive = nlohmann::json::array();
  if (page.empty() && SearxngEnginesFail(FWeb, keyword)) {
    unresponsive = nlohmann::json::array({nlohmann::json::array({"duckduckgo", "Suspended: too many requests"}),
                                          nlohmann::json::array({"brave", "timeout"})});
  }
  const nlohmann::json answer = {{"query", query},           {"number_of_results", 0},
                                 {"results", std::move(results)}, {"answers", nlohmann::json::array()},
                                 {"corrections", nlohmann::json::array()}, {"infoboxes", nlohmann::json::array()},
                                 {"suggestions", nlohmann::json::array()},
                                 {"unresponsive_engines", std::move(unresponsive)}};
  return {200, "application/json", answer.dump(), {}};
}

}  // namespace halvane::sim
