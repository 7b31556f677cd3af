#pragma once
// Every search engine, authority source and ranking source, each described
// once: the sources file's reader and writer, the live run's set-up, the
// Sources dialog and its Test all read these lists.
//
//   for (const TSearchEngineEntry& e : TSourceRegistry::Engines()) ...
//   TSourceRegistry::Engine(sources.Engine).Make(sources, client);
//
// The lists' order is the sources file's key order and the dialog's combo
// order; the first entry of each is the classic one.
#include <string>
#include <vector>

#include "liverun/TAuthorityLookup.h"
#include "liverun/TRankLookup.h"
#include "liverun/TSearchBackEnd.h"
#include "sources/TSourceEntry.h"

namespace halvane::sources {

using TSearchEngineEntry = TSourceEntry<TSearchEngine, liverun::TSearchBackEnd>;
using TAuthorityEntry = TSourceEntry<TAuthoritySource, liverun::TAuthorityLookup>;
using TRankingEntry = TSourceEntry<TRankingSource, liverun::TRankLookup>;

class TSourceRegistry {
 public:
  static const std::vector<TSearchEngineEntry>& Engines();
  static const std::vector<TAuthorityEntry>& Authorities();
  static const std::vector<TRankingEntry>& Rankings();

  // The entry of id (every enum value has one).
  static const TSearchEngineEntry& Engine(TSearchEngine id);
  static const TAuthorityEntry& Authority(TAuthoritySource id);
  static const TRankingEntry& Ranking(TRankingSource id);

  // The file names of the engines with a live back end: "searxng or brave".
  static std::string LiveEngineNames();
};

}  // namespace halvane::sources
