#include "tools/harvest/StoreVerbs.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <nlohmann/json.hpp>

#include "live/RegistrableDomain.h"
#include "live/UrlForm.h"
#include "liverun/LiveOutput.h"
#include "platform/AtomicFile.h"
#include "search/CsvExport.h"
#include "store/OpenStore.h"
#include "store/TStoreError.h"
#include "tools/harvest/HarvestExitCodes.h"
#include "tools/harvest/OutputFile.h"

namespace halvane::harvest {
namespace {

std::string Optional(const std::optional<bool>& value, const char* yes, const char* no) {
  if (!value) return "-";
  return *value ? yes : no;
}

std::string CommentLinksText(const std::optional<store::TCommentLinks>& links) {
  if (!links) return "-";
  switch (*links) {
    case store::TCommentLinks::Followed: return "Followed";
    case store::TCommentLinks::Mixed: return "Mixed";
    default: return "None yet";
  }
}

template <class T>
std::string Figure(const std::optional<T>& value) {
  return value ? std::to_string(*value) : std::string("-");
}

const std::vector<std::string> kHistoryCaptions = {
    "Address", "Final Address", "First Seen", "Last Judged", "Result",    "Comments",
    "Comment Links", "Has Your Link", "Anchor Name", "Authority", "Traffic Rank"};

std::vector<std::string> HistoryCells(const store::THistoryEntry& entry) {
  const store::TVerdictRecord& v = entry.Verdict;
  return {entry.Page.Address,
          entry.Page.FinalAddress.empty() ? entry.Page.Address : entry.Page.FinalAddress,
          TimeText(entry.Page.FirstSeen),
          TimeText(entry.Page.LastJudged),
          v.Reason.empty() ? std::string(liverun::kResultKept) : v.Reason,
          Optional(v.CommentsOpen, "Open", "Closed"),
          CommentLinksText(v.CommentLinks),
          Optional(v.HasYourLink, "Yes", "No"),
          v.Anchor.value_or("-"),
          Figure(v.Authority),
          Figure(v.TrafficRank)};
}

nlohmann::ordered_json HistoryJson(const store::THistoryEntry& entry) {
  const store::TVerdictRecord& v = entry.Verdict;
  const auto optional = [](const auto& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
  };
  nlohmann::ordered_json object;
  object["address"] = entry.Page.Address;
  object["final_address"] = entry.Page.FinalAddress.empty() ? entry.Page.Address : entry.Page.FinalAddress;
  object["first_seen"] = TimeText(entry.Page.FirstSeen);
  object["last_judged"] = TimeText(entry.Page.LastJudged);
  object["result"] = v.Reason.empty() ? std::string(liverun::kResultKept) : v.Reason;
  object["comments_open"] = optional(v.CommentsOpen);
  object["comment_links"] = v.CommentLinks ? nlohmann::ordered_json(CommentLinksText(v.CommentLinks))
                                           : nlohmann::ordered_json(nullptr);
  object["has_your_link"] = optional(v.HasYourLink);
  object["anchor"] = optional(v.Anchor);
  object["authority"] = optional(v.Authority);
  object["traffic_rank"] = optional(v.TrafficRank);
  return object;
}

}  // namespace

std::string TimeText(store::TTime time) {
  const std::time_t seconds = static_cast<std::time_t>(time);
  std::tm parts{};
  if (!gmtime_r(&seconds, &parts)) return "-";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts);
  return text;
}

std::unique_ptr<store::TStore> OpenHarvestStore(const THarvestOptions& options,
                                                const sources::TSources::TStoreChoice& choice, bool required,
                                                std::string& error) {
  std::string location = options.Db;
  if (location.empty()) {
    if (!choice.Use) {
      if (required) error = "the store is off ([store] use = no in the sources file); pass --db FILE";
      return nullptr;
    }
    location = choice.Url.empty() ? choice.Path : choice.Url;
  }
  try {
    return store::OpenStore(location);
  } catch (const store::TStoreError& failure) {
    error = failure.what();
    return nullptr;
  }
}

int RunBlacklist(const THarvestOptions& options, store::TStore& store, std::ostream& out, std::ostream& err) {
  try {
    if (options.Action == "list") {
      for (const store::TBlacklistEntry& entry : store.Blacklist()) {
        out << entry.Domain << "\t" << TimeText(entry.Added) << '\n';
      }
      return kHarvestFinished;
    }
    for (const std::string& domain : options.Operands) {
      if (options.Action == "add") {
        err << domain << (store.AddToBlacklist(domain) ? ": added" : ": already on the blacklist") << '\n';
      } else {
        err << domain << (store.RemoveFromBlacklist(domain) ? ": removed" : ": not on the blacklist") << '\n';
      }
    }
  } catch (const store::TStoreError& failure) {
    err << "halvane-harvest: " << failure.what() << '\n';
    return kHarvestSourceFailed;
  }
  return kHarvestFinished;
}

int RunLinks(const THarvestOptions& options, store::TStore& store, std::ostream&, std::ostream& err) {
  // Every address is checked before any is recorded: a typo records nothing.
  std::vector<std::string> addresses;
  for (const std::string& operand : options.Operands) {
    const std::optional<std::string> address = live::NormalAddress(operand);
    if (!address) {
      err << "halvane-harvest: '" << operand << "' is not a web address (http:// or https://)\n";
      return kHarvestBadArguments;
    }
    addresses.push_back(*address);
  }
  try {
    for (const std::string& address : addresses) {
      const bool added = store.AddLink(address, live::HostOfUrl(address));
      err << address << (added ? ": recorded" : ": already recorded") << '\n';
    }
  } catch (const store::TStoreError& failure) {
    err << "halvane-harvest: " << failure.what() << '\n';
    return kHarvestSourceFailed;
  }
  return kHarvestFinished;
}

int RunHistory(const THarvestOptions& options, store::TStore& store, std::ostream& out, std::ostream& err) {
  const std::string& path = options.CsvFile.empty() ? options.JsonFile : options.CsvFile;
  if (!path.empty()) {
    if (const std::string problem = OutputFileProblem(path); !problem.empty()) {
      err << "halvane-harvest: cannot write " << path << ": " << problem << '\n';
      return kHarvestBadArguments;
    }
  }
  std::vector<store::THistoryEntry> entries;
  try {
    entries = store.History(options.Since.value_or(0));
  } catch (const store::TStoreError& failure) {
    err << "halvane-harvest: " << failure.what() << '\n';
    return kHarvestSourceFailed;
  }
  std::string text;
  if (!options.JsonFile.empty()) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const store::THistoryEntry& entry : entries) array.push_back(HistoryJson(entry));
    text = array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  } else {
    std::vector<std::string> lines = {BuildCsvLine(kHistoryCaptions)};
    for (const store::THistoryEntry& entry : entries) {
      std::vector<std::string> cells = HistoryCells(entry);
      for (std::string& cell : cells) cell = liverun::SpreadsheetSafeCell(cell);
      lines.push_back(BuildCsvLine(cells));
    }
    text = JoinCsvLines(lines);
  }
  if (path.empty()) {
    out << text << std::flush;
  } else if (!platform::WriteFileAtomically(path, text)) {
    err << "halvane-harvest: cannot write " << path << ": " << std::strerror(errno) << '\n';
    return kHarvestSourceFailed;
  }
  if (!path.empty()) err << entries.size() << (entries.size() == 1 ? " page" : " pages") << " written to " << path << '\n';
  return kHarvestFinished;
}

}  // namespace halvane::harvest
