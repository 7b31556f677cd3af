#pragma once
// How TPagedSearch asks one search service for a page and reads its answer.
#include <chrono>
#include <functional>
#include <string>

#include "live/TLiveRequest.h"
#include "live/TLiveResponse.h"
#include "sources/TSearchPage.h"

namespace halvane::sources {

struct TPageProtocol {
  using TClock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kDefaultDeadline{600};

  std::string Engine;     // "SearXNG"
  std::string EngineUrl;  // its address: its host's addresses are dropped
  std::string AddressKey; // the sources file's key of that address ("searxng-url"), for hints
  int MaxPages = 1;
  // The request for page index (from 0) of a query text.
  std::function<live::TLiveRequest(const std::string& queryText, int pageIndex)> Request;
  std::function<TSearchPage(const live::TLiveResponse&)> Parse;
  // The longest the whole search may take, waits for rate limits included.
  std::chrono::seconds Deadline = kDefaultDeadline;
  // The time now (tests give their own clock).
  std::function<TClock::time_point()> Now = [] { return TClock::now(); };
};

}  // namespace halvane::sources
