#pragma once
// Authority figures from Open PageRank's bulk API, batched and asked once
// per registrable domain.
//
//   TOpenPageRank authority(client, sources.OpenPageRankUrl, sources.OpenPageRankKey,
//       [](const std::string& domain, std::optional<int> figure, const std::string& error) {...});
//   for (const auto& url : harvested) rowDomain[i] = authority.Request(url);
//   authority.Flush();
//
// Request(url) queues the registrable domain of url's host (libpsl:
// "www.blog.example.co.uk" -> "example.co.uk"; an address literal stands for
// itself) and returns it; a domain already queued, asked or answered is not
// queued again. Every 100 new domains go out as one call at once; Flush sends
// what is queued. The handler runs once for each distinct domain: with its
// figure 0..10 (rounded half up), or with nothing when the service does not
// know the domain (error "") or the call failed (error says why, for a
// user; every domain of that call gets the same error). A call may take
// kCallTimeoutSeconds and is made again once after a time-out; a 429 waits
// once. When a call has timed out twice or the key was refused, no further
// call is made: later domains get that error at once.
//
// Threads: Request, Flush and Stop may be called from any thread: they post
// their work to the live client's worker, which owns the queue, the domains
// known and the calls out. The handler runs there, one call at a time. After
// Stop (or the destructor) returns, no handler runs; one running at that
// moment on another thread is waited for. Stop may be called from the handler.
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "live/TLiveClient.h"
#include "liverun/TAuthorityAnswer.h"

namespace halvane::sources {

class TOpenPageRank {
 public:
  using THandler =
      std::function<void(const std::string& domain, std::optional<int> authority, const std::string& error)>;

  static constexpr std::size_t kMaxDomainsPerCall = 100;
  static constexpr std::int64_t kMaxAnswerBytes = 4 * 1024 * 1024;
  // Answers can take 30 s: a call has its own time-out, and two attempts.
  static constexpr int kCallTimeoutSeconds = 90;
  static constexpr int kCallAttempts = 2;

  // callTimeoutSeconds: each call's time-out (tests shorten it).
  TOpenPageRank(live::TLiveClient& client, std::string url, std::string key, THandler handler,
                int callTimeoutSeconds = kCallTimeoutSeconds);
  ~TOpenPageRank();
  TOpenPageRank(const TOpenPageRank&) = delete;
  TOpenPageRank& operator=(const TOpenPageRank&) = delete;

  // The domain asked for url's page ("" when url has no host: nothing queued).
  std::string Request(std::string_view url);
  void Flush();
  void Stop();

  // The domain the figure of url's page belongs to: its host's registrable
  // domain, or the host itself when it has none (an address literal).
  static std::string AuthorityDomain(std::string_view url);
  // 4.5 -> 5, 4.49 -> 4; outside 0..10 clamped (ParseAnswer takes such a
  // figure for unknown).
  static int RoundAuthority(double figure);
  // POST <url>, bearer key, {"domains":[...],"include_history":false}, with
  // the call's own time-out and retry rule.
  static live::TLiveRequest BuildRequest(std::string_view url, std::string_view key,
                                         const std::vector<std::string>& domains);
  // Matches results by name (never by position): a result for a subdomain
  // counts for the registrable domain asked; domains left out, found:false
  // and figures that are not 0..10 are unknown. A 429 says which limit;
  // KeyRefused on 401 and 403.
  static liverun::TAuthorityAnswer ParseAnswer(const live::TLiveResponse& response, std::string_view url,
                                      const std::vector<std::string>& domains);

 private:
  struct TState;
  std::shared_ptr<TState> FState;
};

}  // namespace halvane::sources
