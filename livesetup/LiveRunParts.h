#pragma once
// The parts of a live run as a sources file chooses them, over one live
// client: the search back end, the page fetcher, the authority and rank
// lookups, the page judge.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "liverun/TLiveRunParts.h"
#include "pagetest/TPageVerdict.h"
#include "sources/TSources.h"

namespace halvane::livesetup {

// The parts for sources (live mode on), or nothing with error saying which
// source cannot be used and why (a table that cannot be read, ...). Opening
// a table may build its index: seconds for a big one.
std::unique_ptr<liverun::TLiveRunParts> MakeLiveRunParts(const sources::TSources& sources, std::string& error);

// The same with a memory in the store the sources file chooses ([store]),
// for a program that runs one search after another (the window): each run
// is one of the store's runs and its rows say what is new. A store that
// cannot be opened leaves the parts without a memory, and a note says why.
std::unique_ptr<liverun::TLiveRunParts> MakeRememberingRunParts(const sources::TSources& sources,
                                                                std::string& error);

// The modern page test behind the run's seam: the page's own host and its
// registrable domain from its final address.
pagetest::TPageVerdict ModernPageJudge(const liverun::TPageInput& page);

// What fills each column, for the About window: "Search: SearXNG at
// http://...", "Authority: Open PageRank", "Traffic rank: Tranco list
// (/path/tranco.csv)", "Pages: modern test".
std::vector<std::string> DescribeSources(const sources::TSources& sources);

}  // namespace halvane::livesetup
