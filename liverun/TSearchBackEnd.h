#pragma once
// The search back end a live run harvests from: asks a search service page
// after page for the query and gives the result addresses it found
// (sources::TSearxngSearch, sources::TBraveSearch).
//
//   search.Start(BuildQueryText(keyword), depth * 100,
//                [](const TSearchProgress& p) { /* p.StatusText(): "Searching SearXNG, page 3..." */ },
//                [](TSearchOutcome outcome) { /* addresses, or why it ended early */ });
//
// Threads: Start and Stop may be called from any thread; the handlers run on
// the network client's worker thread, one at a time (progress for the first
// page runs within Start, on its caller's thread). progress runs before each
// page is asked; done runs exactly once when the harvest ends, unless Stop
// came first: no handler runs after Stop (or the destructor) returns; a
// handler running at that moment on another thread is waited for. Stop may
// be called from a handler. Handlers must not throw.
//
// A back end harvests again on each Start: a Start while a harvest is under
// way stops that one first (its handlers then run no more), so one back end
// serves one run after another (the keywords of one harvest).
#include <cstddef>
#include <functional>
#include <string>

#include "liverun/TSearchOutcome.h"
#include "liverun/TSearchProgress.h"

namespace halvane::liverun {

class TSearchBackEnd {
 public:
  using TProgressHandler = std::function<void(const TSearchProgress&)>;
  using TDoneHandler = std::function<void(TSearchOutcome)>;

  virtual ~TSearchBackEnd() = default;
  virtual void Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
                     TDoneHandler done) = 0;
  virtual void Stop() = 0;
  // "SearXNG", "Brave Search": for status texts.
  virtual std::string Name() const = 0;
};

}  // namespace halvane::liverun
