#pragma once
// The command line of halvane-harvest.
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
  std::optional<int> Parallel;        // 1..16, overrides [network] parallel
  bool Quiet = false;
};

inline constexpr const char* kHarvestUsage =
    "usage: halvane-harvest [--sources FILE] (--keyword TEXT | --keywords FILE) [--domain D]\n"
    "                       [--depth N] [--csv FILE | --json FILE] [--parallel N] [--quiet]\n";

// The options, or nothing with error saying what is wrong. Keywords from a
// file are read here: one a line, blanks trimmed, empty lines skipped.
std::optional<THarvestOptions> ParseHarvestArguments(const std::vector<std::string>& args, std::string& error);

// The keywords of a keywords file's text.
std::vector<std::string> KeywordsFromText(const std::string& text);

}  // namespace halvane::liverun
