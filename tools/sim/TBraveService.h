#pragma once
// A Brave-style web search API: GET /res/v1/web/search?q=...&count=N&offset=K
// with X-Subscription-Token. A wrong token, count outside 1..20 or offset
// outside 0..9 gives 422 ErrorResponse; query.more_results_available says
// whether another page exists. Every answer carries X-RateLimit-Limit,
// -Policy, -Remaining and -Reset for a per-second and a monthly window (no
// Retry-After): a fault status:429 is the per-second window spent.
#include "TServiceReply.h"
#include "TSimWeb.h"

namespace halvane::sim {

class TBraveService {
 public:
  static constexpr std::string_view kPath = "/res/v1/web/search";

  explicit TBraveService(const TSimWeb& web) : FWeb(web) {}

  static bool Asks(std::string_view method, std::string_view target);
  TServiceReply Reply(const TServiceRequest& request) const;
  static constexpr long kMonthResetSeconds = 1419704;  // 16 days and a half

  // Brave's ErrorResponse for a status (429 with its rate limit headers).
  static TServiceReply Error(int status, std::string_view code = {}, std::string_view detail = {});
  // The rate limit headers with what is left of each window.
  static std::vector<std::pair<std::string, std::string>> RateLimitHeaders(int secondLeft, int monthLeft);

 private:
  const TSimWeb& FWeb;
};

}  // namespace halvane::sim
