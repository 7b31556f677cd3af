#pragma once
// halvane-harvest recheck: fetches every page where the user left a link
// again and says whether the link is still there and still followed, and
// what changed since the last check (the work is livesetup::TLinkRecheck).
#include <atomic>

#include "liverun/TPageFetcher.h"
#include "store/TStore.h"
#include "tools/harvest/HarvestCommand.h"

namespace halvane::harvest {

// Rechecks every link of the store (options.Domain is the user's site);
// pages are fetched through pages, as many at once as its client allows.
// Exit code: kHarvestFinished when every link is present and followed,
// kHarvestLinksLost when one went missing, its page is gone or it turned
// nofollow, kHarvestSourceFailed when a page could not be checked.
int RunRecheck(const THarvestOptions& options, liverun::TPageFetcher& pages, store::TStore& store,
               THarvestConsole console, const std::atomic<bool>& interrupted);

}  // namespace halvane::harvest
