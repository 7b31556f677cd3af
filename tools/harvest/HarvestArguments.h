#pragma once
// The command line of halvane-harvest.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halvane::liverun {

struct THarvestOptions {
  std::string SourcesFile;            // "" : the default place
  std::vector<std::string> Keywords;  // --keyword, or the lines of --keywords
  std::string KeywordsFile;
  std::string Domain;                 // trimmed and lower-cased
  int Depth = 1;                      // 1..10
  std::string CsvFile;
  std::string JsonFile;
  std::string ReportFile;             // a line per harvested address and what became of it
  std::optional<int> Parallel;        // 1..16, overrides [network] parallel
  bool Quiet = false;
};

inline constexpr const char* kHarvestUsage =
    "usage: halvane-harvest [--sources FILE] (--keyword TEXT | --keywords FILE) [--domain D]\n"
    "                       [--depth N] [--csv FILE | --json FILE] [--report FILE] [--parallel N] [--quiet]\n";

// The most a keywords file may hold: far more keywords than anyone runs.
inline constexpr std::uint64_t kMaxKeywordsFileBytes = 16 * 1024 * 1024;

// The options, or nothing with error saying what is wrong. Keywords from a
// file are read here (a regular file of at most kMaxKeywordsFileBytes): one
// a line, blanks trimmed, empty lines and lines starting with '#' skipped.
std::optional<THarvestOptions> ParseHarvestArguments(const std::vector<std::string>& args, std::string& error);

// The keywords of a keywords file's text.
std::vector<std::string> KeywordsFromText(const std::string& text);

}  // namespace halvane::liverun
