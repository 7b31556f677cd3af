#include "sources/TSourceRegistry.h"

#include <chrono>
#include <stdexcept>

#include "sources/TBraveSearch.h"
#include "sources/TOpenPageRank.h"
#include "sources/TOpenPageRankAuthority.h"
#include "sources/TSearxngSearch.h"
#include "sources/TTableAuthority.h"
#include "sources/TTrancoRank.h"
#include "tables/TAuthorityTable.h"
#include "tables/TTableError.h"
#include "tables/TTrancoList.h"
#include "tables/TableText.h"

namespace halvane::sources {
namespace {

using TKind = TSourceKey::TKind;

template <typename TEntry, typename TId>
const TEntry& Find(const std::vector<TEntry>& entries, TId id) {
  for (const TEntry& entry : entries) {
    if (entry.Id == id) return entry;
  }
  return entries.front();
}

std::chrono::seconds Deadline(const TSources& s) { return std::chrono::seconds(s.SearchDeadlineSeconds); }

// One search page, for the Test; the back end is stopped before it goes.
std::shared_ptr<void> CheckSearch(const decltype(TSearchEngineEntry::Make)& make, const TSources& s,
                                  live::TLiveClient& client, const TCheckReport& report) {
  std::shared_ptr<liverun::TSearchBackEnd> search;
  try {
    search.reset(make(s, client).release(), [](liverun::TSearchBackEnd* back) {
      back->Stop();
      delete back;
    });
  } catch (const std::invalid_argument& failure) {
    report(failure.what());
    return nullptr;
  }
  search->Start(
      "\"halvane\" \"comment\"", 1, [](const liverun::TSearchProgress&) {},
      [report](liverun::TSearchOutcome outcome) { report(outcome.Problem.empty() ? "OK" : outcome.Problem); });
  return search;
}

// Opening a table (or list) is its check.
template <typename TOpen>
std::shared_ptr<void> CheckOpening(TOpen open, const TCheckReport& report) {
  try {
    open();
    report("OK");
  } catch (const tables::TTableError& failure) {
    report(failure.what());
  }
  return nullptr;
}

std::vector<TSearchEngineEntry> MakeEngines() {
  std::vector<TSearchEngineEntry> engines;
  engines.push_back({.Id = TSearchEngine::Classic,
                     .FileName = "classic",
                     .DialogName = "classic",
                     .Keys = {},
                     .Make = [](const TSources&, live::TLiveClient&) { return nullptr; },
                     .Describe = [](const TSources&) { return std::string("Search: classic"); }});
  engines.push_back(
      {.Id = TSearchEngine::Searxng,
       .FileName = "searxng",
       .DialogName = "searxng",
       .Keys = {{"search", "searxng-url", &TSources::SearxngUrl, TKind::OptionalAddress, false, true, false,
                 "the address of a SearXNG instance with JSON output enabled", "SearXNG address", "edtSearxngUrl"}},
       .Make = [](const TSources& s, live::TLiveClient& client) -> std::unique_ptr<liverun::TSearchBackEnd> {
         if (s.SearxngUrl.empty()) throw std::invalid_argument("searxng-url is not set");
         return std::make_unique<TSearxngSearch>(client, s.SearxngUrl, Deadline(s));
       },
       .CheckName = "Search (SearXNG)",
       .Describe = [](const TSources& s) { return "Search: SearXNG at " + s.SearxngUrl; }});
  engines.push_back(
      {.Id = TSearchEngine::Brave,
       .FileName = "brave",
       .DialogName = "brave",
       .Keys = {{"search", "brave-url", &TSources::BraveUrl, TKind::Address, false, false, false,
                 "the address of the Brave Search API", "Brave address", "edtBraveUrl"},
                {"search", "brave-key", &TSources::BraveKey, TKind::Token, true, true, false,
                 "a Brave Search API subscription token", "Brave key", "edtBraveKey"}},
       .Make = [](const TSources& s, live::TLiveClient& client) -> std::unique_ptr<liverun::TSearchBackEnd> {
         if (s.BraveKey.empty()) throw std::invalid_argument("brave-key is not set");
         return std::make_unique<TBraveSearch>(client, s.BraveUrl, s.BraveKey, Deadline(s));
       },
       .CheckName = "Search (Brave)",
       .Describe = [](const TSources&) { return std::string("Search: Brave Search API"); }});
  // Every engine with a back end is checked the same way: one page.
  for (TSearchEngineEntry& engine : engines) {
    if (!engine.CheckName) continue;
    engine.Check = [make = engine.Make](const TSources& s, live::TLiveClient& client, TCheckReport report) {
      return CheckSearch(make, s, client, report);
    };
  }
  return engines;
}

std::vector<TAuthorityEntry> MakeAuthorities() {
  std::vector<TAuthorityEntry> authorities;
  authorities.push_back(
      {.Id = TAuthoritySource::Classic,
       .FileName = "classic",
       .DialogName = "classic",
       .Keys = {},
       .Make = [](const TSources&, live::TLiveClient&) { return nullptr; },
       // The toolbar PageRank service speaks only to the classic run.
       .LiveNote = "Authority shows - : the classic PageRank service is not asked in live mode",
       .Describe = [](const TSources&) { return std::string("Authority: classic (not asked in live mode)"); }});
  authorities.push_back(
      {.Id = TAuthoritySource::OpenPageRank,
       .FileName = "openpagerank",
       .DialogName = "openpagerank",
       .Keys = {{"authority", "openpagerank-url", &TSources::OpenPageRankUrl, TKind::Address, false, false, false,
                 "the address of the Open PageRank API", "Open PageRank address", "edtOpenPageRankUrl"},
                {"authority", "openpagerank-key", &TSources::OpenPageRankKey, TKind::Token, true, true, false,
                 "an Open PageRank API key", "Open PageRank key", "edtOpenPageRankKey"}},
       .Make = [](const TSources& s, live::TLiveClient& client) -> std::unique_ptr<liverun::TAuthorityLookup> {
         return std::make_unique<TOpenPageRankAuthority>(client, s.OpenPageRankUrl, s.OpenPageRankKey);
       },
       .CheckName = "Authority (Open PageRank)",
       .Check = [](const TSources& s, live::TLiveClient& client, TCheckReport report) -> std::shared_ptr<void> {
         auto service = std::make_shared<TOpenPageRank>(
             client, s.OpenPageRankUrl, s.OpenPageRankKey,
             [report](const std::string&, std::optional<int>, const std::string& error) {
               report(error.empty() ? "OK" : error);
             });
         service->Request("https://example.com/");
         service->Flush();
         return service;
       },
       .Describe = [](const TSources&) { return std::string("Authority: Open PageRank"); }});
  authorities.push_back(
      {.Id = TAuthoritySource::Table,
       .FileName = "table",
       .DialogName = "table",
       .Keys = {{"authority", "table", &TSources::AuthorityTable, TKind::OptionalFile, false, true, true,
                 "the path of an authority table", "Table file", "edtAuthorityTable"}},
       .Make = [](const TSources& s, live::TLiveClient&) -> std::unique_ptr<liverun::TAuthorityLookup> {
         return std::make_unique<TTableAuthority>(tables::TAuthorityTable::Open(s.AuthorityTable, tables::DefaultCacheDir()));
       },
       .CheckName = "Authority (table)",
       .Check = [](const TSources& s, live::TLiveClient&, TCheckReport report) {
         return CheckOpening([&s] { tables::TAuthorityTable::Open(s.AuthorityTable, tables::DefaultCacheDir()); },
                             report);
       },
       .Describe = [](const TSources& s) { return "Authority: table " + s.AuthorityTable; }});
  authorities.push_back({.Id = TAuthoritySource::None,
                         .FileName = "none",
                         .DialogName = "none",
                         .Keys = {},
                         .Make = [](const TSources&, live::TLiveClient&) { return nullptr; },
                         .Describe = [](const TSources&) { return std::string("Authority: none"); }});
  return authorities;
}

std::vector<TRankingEntry> MakeRankings() {
  std::vector<TRankingEntry> rankings;
  rankings.push_back(
      {.Id = TRankingSource::Classic,
       .FileName = "classic",
       .DialogName = "classic",
       .Keys = {},
       .Make = [](const TSources&, live::TLiveClient&) { return nullptr; },
       .LiveNote = "Traffic Rank shows - : the classic ranking site is not asked in live mode",
       .Describe = [](const TSources&) { return std::string("Traffic rank: classic (not asked in live mode)"); }});
  rankings.push_back(
      {.Id = TRankingSource::Tranco,
       .FileName = "tranco",
       .DialogName = "tranco",
       .Keys = {{"ranking", "tranco", &TSources::TrancoFile, TKind::File, false, true, true,
                 "the path of a Tranco list", "Tranco file", "edtTrancoFile"},
                {"ranking", "tranco-url", &TSources::TrancoUrl, TKind::Address, false, false, false,
                 "the address the Tranco list is downloaded from", "Tranco address", "edtTrancoUrl"}},
       .Make = [](const TSources& s, live::TLiveClient&) -> std::unique_ptr<liverun::TRankLookup> {
         return std::make_unique<TTrancoRank>(tables::TTrancoList::Open(s.TrancoFile, tables::DefaultCacheDir()));
       },
       .CheckName = "Traffic rank (Tranco list)",
       .Check = [](const TSources& s, live::TLiveClient&, TCheckReport report) {
         return CheckOpening([&s] { tables::TTrancoList::Open(s.TrancoFile, tables::DefaultCacheDir()); }, report);
       },
       .Describe = [](const TSources& s) { return "Traffic rank: Tranco list " + s.TrancoFile; }});
  rankings.push_back({.Id = TRankingSource::None,
                      .FileName = "none",
                      .DialogName = "none",
                      .Keys = {},
                      .Make = [](const TSources&, live::TLiveClient&) { return nullptr; },
                      .Describe = [](const TSources&) { return std::string("Traffic rank: none"); }});
  return rankings;
}

}  // namespace

const std::vector<TSearchEngineEntry>& TSourceRegistry::Engines() {
  static const std::vector<TSearchEngineEntry> engines = MakeEngines();
  return engines;
}

const std::vector<TAuthorityEntry>& TSourceRegistry::Authorities() {
  static const std::vector<TAuthorityEntry> authorities = MakeAuthorities();
  return authorities;
}

const std::vector<TRankingEntry>& TSourceRegistry::Rankings() {
  static const std::vector<TRankingEntry> rankings = MakeRankings();
  return rankings;
}

const TSearchEngineEntry& TSourceRegistry::Engine(TSearchEngine id) { return Find(Engines(), id); }
const TAuthorityEntry& TSourceRegistry::Authority(TAuthoritySource id) { return Find(Authorities(), id); }
const TRankingEntry& TSourceRegistry::Ranking(TRankingSource id) { return Find(Rankings(), id); }

std::string TSourceRegistry::LiveEngineNames() {
  std::vector<const char*> names;
  for (const TSearchEngineEntry& engine : Engines()) {
    if (engine.Id != TSearchEngine::Classic) names.push_back(engine.FileName);
  }
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    list += i == 0 ? "" : (i + 1 == names.size() ? " or " : ", ");
    list += names[i];
  }
  return list;
}

}  // namespace halvane::sources
