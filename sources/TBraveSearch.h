#pragma once
// Brave's web search API: GET <url>?q=<query>&count=20&offset=<k>, k a page
// index 0..9, with the subscription token in X-Subscription-Token;
// web.results[].url in each answer, query.more_results_available says
// whether another page exists. Rate limits come in X-RateLimit-Limit,
// -Remaining and -Reset (seconds until each window resets: "1, 1419704" for
// a per-second and a monthly window), not in Retry-After.
#include <optional>
#include <string>
#include <string_view>

#include "sources/TPagedSearch.h"

namespace halvane::sources {

class TBraveSearch final : public liverun::TSearchBackEnd {
 public:
  static constexpr int kMaxPages = 10;
  static constexpr int kPageSize = 20;
  static constexpr std::int64_t kMaxAnswerBytes = 4 * 1024 * 1024;

  static constexpr long kLongestWait = 60;  // seconds; a later reset ends the search

  TBraveSearch(live::TLiveClient& client, std::string url, std::string key,
               std::chrono::seconds deadline = TPageProtocol::kDefaultDeadline);

  void Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
             TDoneHandler done) override;
  void Stop() override;
  std::string Name() const override;

  static TPageProtocol Protocol(std::string url, std::string key, std::chrono::seconds deadline);
  // A 429 is asked again (twice at most) when its limit resets within
  // kLongestWait.
  static live::TLiveRequest BuildRequest(std::string_view url, std::string_view key, std::string_view queryText,
                                         int pageIndex);
  // Seconds until the spent rate limit window of a 429 answer resets (the
  // longest of those with nothing remaining; the first when none says so);
  // nothing without X-RateLimit-Reset.
  static std::optional<long> RateLimitReset(const live::TLiveResponse& response);
  // The addresses of one answer, or why it is no answer (Brave's
  // ErrorResponse detail: 422 bad token or parameter, 429 with the wait,
  // 401/403, 5xx, network errors, an answer that is not Brave's JSON).
  static TSearchPage ParseAnswer(const live::TLiveResponse& response, std::string_view url);

 private:
  TPagedSearch FPaged;
};

}  // namespace halvane::sources
