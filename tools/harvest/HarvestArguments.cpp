#include "tools/harvest/HarvestArguments.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>

#include "base/RegularFile.h"
#include "base/TextScan.h"
#include "search/ItemAnalysis.h"

namespace halvane::harvest {
namespace {

bool ParseNumber(const std::string& text, int low, int high, int& value) {
  const char* end = text.data() + text.size();
  const auto [rest, failure] = std::from_chars(text.data(), end, value);
  return failure == std::errc() && rest == end && value >= low && value <= high;
}

// YYYY-MM-DD as UTC seconds at its start.
std::optional<std::int64_t> ParseDate(const std::string& text) {
  int year = 0;
  int month = 0;
  int day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !ParseNumber(text.substr(0, 4), 1970, 9999, year) ||
      !ParseNumber(text.substr(5, 2), 1, 12, month) || !ParseNumber(text.substr(8, 2), 1, 31, day)) {
    return std::nullopt;
  }
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  const std::time_t seconds = timegm(&parts);
  std::tm back{};
  if (!gmtime_r(&seconds, &back) || back.tm_mday != day) return std::nullopt;  // 2026-02-30
  return static_cast<std::int64_t>(seconds);
}

// The lines of a file of items, or nothing with error naming what is wrong.
// file names the file ("keywords"), item one line of it ("keyword").
std::optional<std::vector<std::string>> ReadItems(const std::string& path, const char* file, const char* item,
                                                  std::string& error) {
  // Opened without blocking: a FIFO or a device is refused, never waited on.
  std::string text;
  std::string why;
  if (!ReadRegularFile(path, kMaxKeywordsFileBytes, text, why)) {
    std::error_code ignored;
    error = std::string("cannot read ") + file + " file " + (std::filesystem::exists(path, ignored) ? why : path);
    return std::nullopt;
  }
  std::vector<std::string> items = KeywordsFromText(text);
  if (items.empty()) {
    error = std::string(file) + " file " + path + " holds no " + item;
    return std::nullopt;
  }
  return items;
}

// An option given either as one value or as a file of them, one of the
// two and once: --keyword or --keywords, --footprint or --footprints.
struct TListOption {
  const char* One;       // "--keyword": one value
  const char* Many;      // "--keywords": a file of them
  const char* FileNoun;  // "keywords", naming the file in messages
  const char* Item;      // "keyword", one line of it
  std::vector<std::string> THarvestOptions::*List;
  // Where the file's name waits until the whole command line is known good;
  // nullptr: the file is read when the option is met.
  std::string THarvestOptions::*File;
};

constexpr TListOption kListOptions[] = {
    {"--keyword", "--keywords", "keywords", "keyword", &THarvestOptions::Keywords, &THarvestOptions::KeywordsFile},
    {"--footprint", "--footprints", "footprints", "footprint", &THarvestOptions::Footprints, nullptr},
};

const TListOption* ListOptionNamed(const std::string& name) {
  for (const TListOption& option : kListOptions) {
    if (name == option.One || name == option.Many) return &option;
  }
  return nullptr;
}

bool ReadListFile(const TListOption& option, const std::string& path, THarvestOptions& options, std::string& error) {
  const auto items = ReadItems(path, option.FileNoun, option.Item, error);
  if (!items) return false;
  options.*option.List = *items;
  return true;
}

// name is option.One or option.Many; false with error when value is refused.
bool TakeListValue(const TListOption& option, const std::string& name, const std::string& value,
                   THarvestOptions& options, std::string& error) {
  if (name == option.One) {
    if (std::string(TrimWhiteSpace(value)).empty()) {
      error = name + " is empty";
      return false;
    }
    (options.*option.List).push_back(value);
    return true;
  }
  if (option.File) {
    options.*option.File = value;
    return true;
  }
  return ReadListFile(option, value, options, error);
}

const std::set<std::string>& OptionsOf(TVerb verb) {
  static const std::set<std::string> search = {"--sources", "--keyword", "--keywords", "--footprint",
                                               "--footprints", "--domain", "--depth", "--csv", "--json",
                                               "--report", "--parallel", "--quiet", "--db", "--new-only",
                                               "--days"};
  static const std::set<std::string> judge = {"--sources", "--urls", "--domain", "--csv", "--json", "--report",
                                              "--parallel", "--quiet", "--db", "--new-only", "--days"};
  static const std::set<std::string> store = {"--sources", "--db"};
  static const std::set<std::string> links = {"--sources", "--db"};
  static const std::set<std::string> recheck = {"--sources", "--db", "--domain", "--csv", "--json",
                                                "--parallel", "--quiet"};
  static const std::set<std::string> history = {"--sources", "--db", "--since", "--csv", "--json"};
  switch (verb) {
    case TVerb::Search: return search;
    case TVerb::Judge: return judge;
    case TVerb::Blacklist: return store;
    case TVerb::Links: return links;
    case TVerb::Recheck: return recheck;
    case TVerb::History: return history;
  }
  return search;
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
  std::size_t first = 0;
  if (!args.empty() && !args[0].starts_with("-")) {
    static const std::pair<const char*, TVerb> kVerbs[] = {{"judge", TVerb::Judge},     {"blacklist", TVerb::Blacklist},
                                                           {"links", TVerb::Links},     {"recheck", TVerb::Recheck},
                                                           {"history", TVerb::History}, {"search", TVerb::Search}};
    bool known = false;
    for (const auto& [name, verb] : kVerbs) {
      if (args[0] == name) {
        options.Verb = verb;
        known = true;
      }
    }
    if (!known) {
      error = "unknown verb '" + args[0] + "' (known: search, judge, blacklist, links, recheck, history)";
      return std::nullopt;
    }
    first = 1;
  }
  const bool takesOperands = options.Verb == TVerb::Blacklist || options.Verb == TVerb::Links;
  std::set<std::string> given;  // options met that come once; a list option under its One name
  std::string urlsFile;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      options.Help = true;
      return options;
    }
    if (takesOperands && !name.starts_with("--")) {
      if (options.Action.empty()) {
        options.Action = name;
      } else {
        options.Operands.push_back(name);
      }
      continue;
    }
    if (!OptionsOf(options.Verb).contains(name)) {
      error = "unknown argument '" + name + "'";
      return std::nullopt;
    }
    if (name == "--quiet") {
      options.Quiet = true;
      continue;
    }
    if (name == "--new-only") {
      options.NewOnly = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    const auto once = [&]() {
      if (!given.insert(name).second) error = name + " given twice";
      return error.empty();
    };
    if (name == "--sources") {
      if (!once()) return std::nullopt;
      options.SourcesFile = value;
    } else if (const TListOption* list = ListOptionNamed(name)) {
      if (!given.insert(list->One).second) {
        error = std::string("give one ") + list->One + " or one " + list->Many;
        return std::nullopt;
      }
      if (!TakeListValue(*list, name, value, options, error)) return std::nullopt;
    } else if (name == "--urls") {
      if (!once()) return std::nullopt;
      urlsFile = value;
    } else if (name == "--domain") {
      if (!once()) return std::nullopt;
      options.Domain = DomainFromEditText(value);
    } else if (name == "--depth") {
      if (!once()) return std::nullopt;
      if (!ParseNumber(value, 1, 10, options.Depth)) {
        error = "--depth wants a number from 1 to 10, not '" + value + "'";
        return std::nullopt;
      }
    } else if (name == "--days") {
      if (!once()) return std::nullopt;
      if (!ParseNumber(value, 1, 36500, options.Days)) {
        error = "--days wants a number from 1 to 36500, not '" + value + "'";
        return std::nullopt;
      }
    } else if (name == "--since") {
      if (!once()) return std::nullopt;
      options.Since = ParseDate(value);
      if (!options.Since) {
        error = "--since wants a date as YYYY-MM-DD, not '" + value + "'";
        return std::nullopt;
      }
    } else if (name == "--db") {
      if (!once()) return std::nullopt;
      if (value.empty()) {
        error = "--db needs a file name or a postgresql:// address";
        return std::nullopt;
      }
      options.Db = value;
    } else if (name == "--csv" || name == "--json") {
      if (!options.CsvFile.empty() || !options.JsonFile.empty()) {
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
      if (!once()) return std::nullopt;
      int parallel = 0;
      if (!ParseNumber(value, 1, 16, parallel)) {
        error = "--parallel wants a number from 1 to 16, not '" + value + "'";
        return std::nullopt;
      }
      options.Parallel = parallel;
    }
  }
  switch (options.Verb) {
    case TVerb::Search:
      if (!given.contains("--keyword")) {
        error = "give --keyword TEXT or --keywords FILE";
        return std::nullopt;
      }
      for (const TListOption& list : kListOptions) {
        if (list.File && !(options.*list.File).empty() && !ReadListFile(list, options.*list.File, options, error)) {
          return std::nullopt;
        }
      }
      break;
    case TVerb::Judge: {
      if (urlsFile.empty()) {
        error = "judge needs --urls FILE";
        return std::nullopt;
      }
      const auto urls = ReadItems(urlsFile, "addresses", "address", error);
      if (!urls) return std::nullopt;
      options.Urls = *urls;
      break;
    }
    case TVerb::Blacklist:
      if (options.Action != "add" && options.Action != "remove" && options.Action != "list") {
        error = "blacklist wants add, remove or list";
        return std::nullopt;
      }
      if (options.Action != "list" && options.Operands.empty()) {
        error = "blacklist " + options.Action + " needs a domain";
        return std::nullopt;
      }
      if (options.Action == "list" && !options.Operands.empty()) {
        error = "blacklist list takes no domain";
        return std::nullopt;
      }
      break;
    case TVerb::Links:
      if (options.Action != "add" || options.Operands.empty()) {
        error = "links wants add and the addresses of your comments";
        return std::nullopt;
      }
      break;
    case TVerb::Recheck:
    case TVerb::History:
      break;
  }
  return options;
}

}  // namespace halvane::harvest
