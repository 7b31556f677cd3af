#pragma once
// Holds page requests until their origin's robots.txt is known: the first
// page of an origin has it fetched (by the worker, as a request of the
// client's own), later pages of that origin wait for the same answer. What
// the rules say is TRobotsCache's; this keeps who waits for which origin.
//
// Threads: used by the live client's worker thread only.
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "live/TLiveClient.h"
#include "live/TRobotsCache.h"
#include "live/UrlParts.h"

namespace halvane::live {

class TRobotsGate {
 public:
  using TClock = TRobotsCache::TClock;

  // productToken: our name in robots.txt groups.
  explicit TRobotsGate(std::string productToken) : FRobots(std::move(productToken)) {}

  struct THold {
    enum class TStep {
      Admit,       // the rules are known: ask Refusal
      Unreadable,  // the origin has no robots.txt address libcurl reads back (an IPv6 zone, say)
      Held,        // page waits for the robots.txt already on its way
      Fetch        // page waits; fetch Address (Url its parts) and hand the answer to Arrived
    } Step = TStep::Admit;
    std::string Address;
    TUrlParts Url;
  };
  THold Hold(const std::string& origin, TRequestId page, TClock::time_point now);

  // For a known origin: nothing when the page may be fetched, else the
  // response it ends with.
  std::optional<TLiveResponse> Refusal(const std::string& origin, const std::string& host,
                                       std::string_view pathAndQuery) const {
    return FRobots.Refusal(origin, host, pathAndQuery);
  }

  struct TReleased {
    std::vector<TRequestId> Pages;  // held for origin, in the order they came
    bool Known = false;  // their rules are known; else (no answer) each is held again
  };
  // The answer to the fetch of origin's robots.txt.
  TReleased Arrived(const std::string& origin, const TLiveResponse& answer, TClock::time_point now);

  // page, held for origin, goes away (aborted).
  void Drop(const std::string& origin, TRequestId page);

 private:
  TRobotsCache FRobots;
  std::map<std::string, std::vector<TRequestId>> FHeld;  // page requests by origin
};

}  // namespace halvane::live
