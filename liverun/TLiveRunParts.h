#pragma once
// The sources a live run draws on, made once from the sources file and used
// by one run after another (several keywords).
#include <memory>
#include <string>
#include <vector>

#include "liverun/TAuthorityLookup.h"
#include "liverun/TPageFetcher.h"
#include "liverun/TPageJudge.h"
#include "liverun/TPageMemory.h"
#include "liverun/TRankLookup.h"
#include "liverun/TSearchBackEnd.h"

namespace halvane::liverun {

struct TLiveRunParts {
  // Whatever the parts below lean on (the network client): released last.
  std::shared_ptr<void> Keep;
  // Harvests each run in turn (restarted for every keyword).
  std::unique_ptr<TSearchBackEnd> Harvest;
  std::unique_ptr<TPageFetcher> Pages;
  std::unique_ptr<TAuthorityLookup> Authority;  // none: the column shows "-"
  std::unique_ptr<TRankLookup> Ranking;         // none: the column shows "-"
  TPageJudge Judge;
  // What earlier runs judged, and the blacklist; none: every page is new to
  // the run and nothing is remembered. Owned by whoever made the parts.
  TPageMemory* Memory = nullptr;
  // Page fetches handed to Pages at once; 0 for no limit. One less than the
  // client's parallel transfers leaves a slot for the search and authority
  // calls, so the harvest never waits behind slow pages.
  std::size_t PageSlots = 0;
  // Said once at the start of a run, e.g. why a column stays "-".
  std::vector<std::string> Notes;
};

}  // namespace halvane::liverun
