#include "tools/harvest/StoreVerbs.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <nlohmann/json.hpp>

#include "live/RegistrableDomain.h"
#include "live/UrlForm.h"
#include "liverun/LiveColumns.h"
#include "liverun/LiveOutput.h"
#include "livesetup/ChosenStore.h"
#include "livesetup/TStoreMemory.h"
#include "platform/AtomicFile.h"
#include "search/CsvExport.h"
#include "store/OpenStore.h"
#include "store/TStoreError.h"
#include "tools/harvest/HarvestExitCodes.h"
#include "tools/harvest/OutputFile.h"

namespace halvane::harvest {
namespace {

// The row columns history shows after the page's own, read from the one
// column table: the texts and JSON values are the results list's.
constexpr liverun::TLiveColumn kHistoryColumns[] = {liverun::kLiveComments,    liverun::kLiveCommentLinks,
                                                    liverun::kLiveHasYourLink, liverun::kLiveAnchorName,
                                                    liverun::kLiveAuthority,   liverun::kLiveTrafficRank};

std::string ResultText(const store::TVerdictRecord& verdict) {
  return verdict.Reason.empty() ? std::string(liverun::kResultKept) : verdict.Reason;
}

std::string FinalAddress(const store::TPageRecord& page) {
  return page.FinalAddress.empty() ? page.Address : page.FinalAddress;
}

std::vector<std::string> HistoryCaptions() {
  std::vector<std::string> captions = {"Address", "Final Address", "First Seen", "Last Judged", "Result"};
  for (const liverun::TLiveColumn column : kHistoryColumns) captions.push_back(liverun::LiveColumnCaptions()[column]);
  return captions;
}

// A page without a row has no figures: "-" (null in JSON) in each column.
std::vector<std::string> HistoryCells(const store::THistoryEntry& entry) {
  std::vector<std::string> cells = {entry.Page.Address, FinalAddress(entry.Page), TimeText(entry.Page.FirstSeen),
                                    TimeText(entry.Page.LastJudged), ResultText(entry.Verdict)};
  const bool kept = entry.Verdict.Reason.empty();
  const liverun::TLiveResult row = livesetup::ResultOf(entry.Verdict);
  for (const liverun::TLiveColumn column : kHistoryColumns) {
    cells.push_back(kept ? liverun::LiveCellText(row, column) : std::string(liverun::kNoFigure));
  }
  return cells;
}

nlohmann::ordered_json HistoryJson(const store::THistoryEntry& entry) {
  nlohmann::ordered_json object;
  object["address"] = entry.Page.Address;
  object["final_address"] = FinalAddress(entry.Page);
  object["first_seen"] = TimeText(entry.Page.FirstSeen);
  object["last_judged"] = TimeText(entry.Page.LastJudged);
  object["result"] = ResultText(entry.Verdict);
  const bool kept = entry.Verdict.Reason.empty();
  const liverun::TLiveResult row = livesetup::ResultOf(entry.Verdict);
  for (const liverun::TLiveColumn column : kHistoryColumns) {
    const liverun::TLiveColumnDef& def = liverun::LiveColumnTable()[column];
    object[std::string(def.JsonName)] = nullptr;
    if (kept) std::visit([&](const auto& value) { object[std::string(def.JsonName)] = value; }, def.Json(row));
  }
  return object;
}

}  // namespace

std::unique_ptr<store::TStore> OpenHarvestStore(const THarvestOptions& options,
                                                const sources::TSources::TStoreChoice& choice, bool required,
                                                std::string& error) {
  if (options.Db.empty()) {
    if (!choice.Use && required) error = "the store is off ([store] use = no in the sources file); pass --db FILE";
    return livesetup::OpenChosenStore(choice, error);
  }
  try {
    return store::OpenStore(options.Db);
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
    std::vector<std::string> lines = {BuildCsvLine(HistoryCaptions())};
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
