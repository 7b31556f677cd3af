#pragma once
// SearXNG's JSON search: GET <base>search?q=<query>&format=json&pageno=<n>,
// n from 1, at most 50 pages; results[].url in each answer, pages of no
// fixed size that may overlap, an empty results array at the end.
#include <string>
#include <string_view>

#include "sources/TPagedSearch.h"

namespace halvane::sources {

class TSearxngSearch final : public liverun::TSearchBackEnd {
 public:
  static constexpr int kMaxPages = 50;
  static constexpr std::int64_t kMaxAnswerBytes = 4 * 1024 * 1024;

  // baseUrl: the instance's address, e.g. "http://127.0.0.1:8888/";
  // deadline: the longest the whole search may take.
  TSearxngSearch(live::TLiveClient& client, std::string baseUrl,
                 std::chrono::seconds deadline = TPageProtocol::kDefaultDeadline);

  void Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
             TDoneHandler done) override;
  void Stop() override;
  std::string Name() const override;

  // How TPagedSearch asks the instance at baseUrl.
  static TPageProtocol Protocol(std::string baseUrl, std::chrono::seconds deadline);
  // The request for page pageIndex (from 0). A 429 is not asked again: the
  // bot limiter counts every try, for an hour.
  static live::TLiveRequest BuildRequest(std::string_view baseUrl, std::string_view queryText, int pageIndex);
  // The addresses of one answer, or why it is no answer (403 "JSON output
  // disabled" with how to enable it, 429 with how to let the program in,
  // 400 with SearXNG's own error, 5xx, network errors, an answer that is not
  // SearXNG's JSON or not JSON from a given byte on, an empty page with the
  // engines that failed and why).
  static TSearchPage ParseAnswer(const live::TLiveResponse& response, std::string_view baseUrl);

 private:
  TPagedSearch FPaged;
};

}  // namespace halvane::sources
