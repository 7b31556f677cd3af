#include "sources/MakeSearchBackEnd.h"

#include <stdexcept>

#include "search/Harvest.h"
#include "sources/TBraveSearch.h"
#include "sources/TSearxngSearch.h"

namespace halvane::sources {

std::string SearchQueryText(std::string_view keyword) { return BuildQueryText(keyword); }

std::unique_ptr<liverun::TSearchBackEnd> MakeSearchBackEnd(const TSources& sources, live::TLiveClient& client) {
  const std::chrono::seconds deadline(sources.SearchDeadlineSeconds);
  switch (sources.Engine) {
    case TSearchEngine::Classic:
      return nullptr;
    case TSearchEngine::Searxng:
      if (sources.SearxngUrl.empty()) throw std::invalid_argument("searxng-url is not set");
      return std::make_unique<TSearxngSearch>(client, sources.SearxngUrl, deadline);
    case TSearchEngine::Brave:
      if (sources.BraveKey.empty()) throw std::invalid_argument("brave-key is not set");
      return std::make_unique<TBraveSearch>(client, sources.BraveUrl, sources.BraveKey, deadline);
  }
  return nullptr;
}

}  // namespace halvane::sources
