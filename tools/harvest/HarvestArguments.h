#pragma once
// The command line of halvane-harvest: a search (the default verb), judge,
// blacklist, links, recheck and history.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halvane::harvest {

enum class TVerb { Search, Judge, Blacklist, Links, Recheck, History };

struct THarvestOptions {
  TVerb Verb = TVerb::Search;
  bool Help = false;                  // --help: the verb's usage, nothing else
  std::string SourcesFile;            // "" : the default place
  std::vector<std::string> Keywords;  // --keyword, or the lines of --keywords
  std::string KeywordsFile;
  // The query's forms, {keyword} where the keyword goes (--footprint, or the
  // lines of --footprints); empty: the plain query.
  std::vector<std::string> Footprints;
  std::vector<std::string> Urls;      // judge: the lines of --urls
  std::string Domain;                 // trimmed and lower-cased
  int Depth = 1;                      // 1..10
  std::string CsvFile;
  std::string JsonFile;
  std::string ReportFile;             // a line per harvested address and what became of it
  std::optional<int> Parallel;        // 1..16, overrides [network] parallel
  bool Quiet = false;
  std::string Db;                     // --db: the store, overriding [store]
  bool NewOnly = false;               // skip pages judged within Days
  int Days = 30;
  std::string Action;                 // blacklist: add, remove or list; links: add
  std::vector<std::string> Operands;  // blacklist's domains, links' addresses
  std::optional<std::int64_t> Since;  // history --since: UTC seconds
};

inline constexpr const char* kHarvestUsage =
    "usage: halvane-harvest [--sources FILE] (--keyword TEXT | --keywords FILE) [--domain D]\n"
    "                       [--depth N] [--csv FILE | --json FILE] [--report FILE] [--parallel N] [--quiet]\n";

// The most a keywords, footprints or addresses file may hold: far more
// lines than anyone runs.
inline constexpr std::uint64_t kMaxKeywordsFileBytes = 16 * 1024 * 1024;

// The options, or nothing with error saying what is wrong. Files named are
// read here (regular files of at most kMaxKeywordsFileBytes): one item a
// line, blanks trimmed, empty lines and lines starting with '#' skipped.
std::optional<THarvestOptions> ParseHarvestArguments(const std::vector<std::string>& args, std::string& error);

// The keywords of a keywords file's text (the same rule for footprints and
// addresses).
std::vector<std::string> KeywordsFromText(const std::string& text);

}  // namespace halvane::harvest
