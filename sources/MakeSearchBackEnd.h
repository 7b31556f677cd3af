#pragma once
// The search back end a sources file names, over the live client.
#include <memory>
#include <string>
#include <string_view>

#include "live/TLiveClient.h"
#include "liverun/TSearchBackEnd.h"
#include "sources/TSources.h"

namespace halvane::sources {

// The classic query: the keyword, "comment" and "powered by wordpress", each
// in double quotes, separated by blanks.
std::string SearchQueryText(std::string_view keyword);

// The back end sources.Engine names (nullptr for the classic engine), as
// its registry entry builds it. Throws std::invalid_argument when what it
// needs is missing (no address or key: the sources file's reader refuses
// such files).
std::unique_ptr<liverun::TSearchBackEnd> MakeSearchBackEnd(const TSources& sources, live::TLiveClient& client);

}  // namespace halvane::sources
