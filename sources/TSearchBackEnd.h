#pragma once
// A live search back end: asks a search service page after page for the
// query and gives the result addresses it found.
//
//   auto search = MakeSearchBackEnd(sources, client);
//   search->Start(SearchQueryText(keyword), depth * 100,
//                 [](const TSearchProgress& p) { /* "Searching SearXNG, page 3..." */ },
//                 [](TSearchOutcome outcome) { /* addresses, or why it ended early */ });
//
// Threads: Start and Stop may be called from any thread; the handlers run on
// the live client's worker thread, one at a time (progress for the first page
// runs within Start, on its caller's thread). progress runs before each page
// is asked; done runs exactly once when the harvest ends, unless Stop
// came first: no handler runs after Stop (or the destructor) returns; a
// handler running at that moment on another thread is waited for. Stop may
// be called from a handler. Start is called once per object. Handlers must
// not throw.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "live/TLiveClient.h"
#include "sources/TSearchOutcome.h"
#include "sources/TSearchProgress.h"
#include "sources/TSources.h"

namespace halvane::sources {

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

// The classic query: the keyword, "comment" and "powered by wordpress", each
// in double quotes, separated by blanks.
std::string SearchQueryText(std::string_view keyword);

// The back end sources.Engine names (nullptr for the classic engine).
// Throws std::invalid_argument when what it needs is missing (no address or
// key: the sources file's reader refuses such files).
std::unique_ptr<TSearchBackEnd> MakeSearchBackEnd(const TSources& sources, live::TLiveClient& client);

}  // namespace halvane::sources
