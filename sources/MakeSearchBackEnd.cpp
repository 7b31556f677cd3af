#include "sources/MakeSearchBackEnd.h"

#include "search/Harvest.h"
#include "sources/TSourceRegistry.h"

namespace halvane::sources {

std::string SearchQueryText(std::string_view keyword) { return BuildQueryText(keyword); }

std::unique_ptr<liverun::TSearchBackEnd> MakeSearchBackEnd(const TSources& sources, live::TLiveClient& client) {
  return TSourceRegistry::Engine(sources.Engine).Make(sources, client);
}

}  // namespace halvane::sources
