#pragma once
// What the sources file says: where each figure of a live run comes from.
// Defaults are the classic edition's (no sources file: everything classic).
#include <string>

#include "live/TNetworkSettings.h"

namespace halvane::sources {

enum class TSearchEngine { Classic, Searxng, Brave };
enum class TAuthoritySource { Classic, OpenPageRank, Table, None };
enum class TRankingSource { Classic, Tranco, None };
enum class TPageTest { Classic, Modern };

struct TSources {
  TSearchEngine Engine = TSearchEngine::Classic;
  std::string SearxngUrl;
  std::string BraveUrl = "https://api.search.brave.com/res/v1/web/search";
  std::string BraveKey;
  // The longest a harvest's search may take, in seconds ([search] deadline).
  int SearchDeadlineSeconds = 600;

  TAuthoritySource Authority = TAuthoritySource::Classic;
  std::string OpenPageRankUrl = "https://openpagerank.keywordseverywhere.com/v1/domains/bulk";
  std::string OpenPageRankKey;
  std::string AuthorityTable;

  TRankingSource Ranking = TRankingSource::Classic;
  std::string TrancoFile;  // "" until read: $XDG_DATA_HOME/halvane/tranco.csv
  std::string TrancoUrl = "https://tranco-list.eu/top-1m.csv.zip";

  TPageTest PageTest = TPageTest::Classic;

  live::TNetworkSettings Network;

  // Where live mode remembers what it judged ([store]): a postgresql://
  // address, else a SQLite file ("" for the default one); Use = no forgets.
  struct TStoreChoice {
    bool Use = true;
    std::string Path;
    std::string Url;
    bool operator==(const TStoreChoice&) const = default;
  } Store;

  // Live mode is on when the search engine is not the classic one.
  bool LiveMode() const noexcept { return Engine != TSearchEngine::Classic; }
};

}  // namespace halvane::sources
