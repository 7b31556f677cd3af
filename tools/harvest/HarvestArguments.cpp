#include "liverun/HarvestArguments.h"
#include "base/TextScan.h"

#include <charconv>
#include <filesystem>
#include <sstream>

#include "base/RegularFile.h"
#include "search/ItemAnalysis.h"

namespace halvane::liverun {
namespace {

bool ParseNumber(const std::string& text, int low, int high, int& value) {
  const char* end = text.data() + text.size();
  const auto [rest, failure] = std::from_chars(text.data(), end, value);
  return failure == std::errc() && rest == end && value >= low && value <= high;
}

}  // namespace

std::vector<std::string> KeywordsFromText(const std::string& text) {
  std::vector<std::string> keywords;
  std::istringstream lines(text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text);
  for (std::string line; std::getline(lines, line);) {
    std::string keyword = std::string(TrimWhiteSpace(line));
    if (!keyword.empty() && keyword.front() != '#') keywords.push_back(std::move(keyword));
  }
  return keywords;
}

std::optional<THarvestOptions> ParseHarvestArguments(const std::vector<std::string>& args, std::string& error) {
  THarvestOptions options;
  bool keywordGiven = false;
  bool domainGiven = false;
  bool depthGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--quiet") {
      options.Quiet = true;
      continue;
    }
    const bool takesValue = name == "--sources" || name == "--keyword" || name == "--keywords" ||
                            name == "--domain" || name == "--depth" || name == "--csv" || name == "--json" ||
                            name == "--report" || name == "--parallel";
    if (!takesValue) {
      error = "unknown argument '" + name + "'";
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    const auto once = [&](bool& given) {
      if (given) error = name + " given twice";
      given = true;
      return error.empty();
    };
    bool sourcesGiven = !options.SourcesFile.empty();
    bool csvGiven = !options.CsvFile.empty();
    bool jsonGiven = !options.JsonFile.empty();
    bool parallelGiven = options.Parallel.has_value();
    if (name == "--sources") {
      if (!once(sourcesGiven)) return std::nullopt;
      options.SourcesFile = value;
    } else if (name == "--keyword" || name == "--keywords") {
      if (keywordGiven) {
        error = "give one --keyword or one --keywords";
        return std::nullopt;
      }
      keywordGiven = true;
      if (name == "--keyword") {
        if (std::string(TrimWhiteSpace(value)).empty()) {
          error = "--keyword is empty";
          return std::nullopt;
        }
        options.Keywords.push_back(value);
      } else {
        options.KeywordsFile = value;
      }
    } else if (name == "--domain") {
      if (!once(domainGiven)) return std::nullopt;
      options.Domain = DomainFromEditText(value);
    } else if (name == "--depth") {
      if (!once(depthGiven)) return std::nullopt;
      if (!ParseNumber(value, 1, 10, options.Depth)) {
        error = "--depth wants a number from 1 to 10, not '" + value + "'";
        return std::nullopt;
      }
    } else if (name == "--csv" || name == "--json") {
      if (csvGiven || jsonGiven) {
        error = "give one --csv or one --json";
        return std::nullopt;
      }
      (name == "--csv" ? options.CsvFile : options.JsonFile) = value;
      if (value.empty()) {
        error = name + " needs a file name";
        return std::nullopt;
      }
    } else if (name == "--report") {
      if (!options.ReportFile.empty()) {
        error = "give one --report";
        return std::nullopt;
      }
      options.ReportFile = value;
      if (value.empty()) {
        error = "--report needs a file name";
        return std::nullopt;
      }
    } else {
      if (!once(parallelGiven)) return std::nullopt;
      int parallel = 0;
      if (!ParseNumber(value, 1, 16, parallel)) {
        error = "--parallel wants a number from 1 to 16, not '" + value + "'";
        return std::nullopt;
      }
      options.Parallel = parallel;
    }
  }
  if (!keywordGiven) {
    error = "give --keyword TEXT or --keywords FILE";
    return std::nullopt;
  }
  if (!options.KeywordsFile.empty()) {
    // Opened without blocking: a FIFO or a device is refused, never waited on.
    std::string text;
    std::string why;
    if (!ReadRegularFile(options.KeywordsFile, kMaxKeywordsFileBytes, text, why)) {
      std::error_code ignored;
      error = "cannot read keywords file " +
              (std::filesystem::exists(options.KeywordsFile, ignored) ? why : options.KeywordsFile);
      return std::nullopt;
    }
    options.Keywords = KeywordsFromText(text);
    if (options.Keywords.empty()) {
      error = "keywords file " + options.KeywordsFile + " holds no keyword";
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace halvane::liverun
