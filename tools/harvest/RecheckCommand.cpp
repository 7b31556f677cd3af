#include "tools/harvest/RecheckCommand.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include <nlohmann/json.hpp>

#include "base/TMailbox.h"
#include "liverun/LiveOutput.h"
#include "livesetup/TLinkRecheck.h"
#include "platform/AtomicFile.h"
#include "search/CsvExport.h"
#include "tools/harvest/HarvestExitCodes.h"
#include "tools/harvest/OutputFile.h"
#include "tools/harvest/TakeReports.h"

namespace halvane::harvest {
namespace {

using livesetup::LinkChangeText;
using livesetup::LinkStateText;
using livesetup::TRecheckLine;

bool IsLost(store::TLinkState state) {
  return state == store::TLinkState::Missing || state == store::TLinkState::Gone ||
         state == store::TLinkState::PresentNofollow;
}

// Takes the re-check's reports from its thread into the command's: they
// are posted to this object's mailbox, and Wait runs them there.
class TRecheckWaiter : public livesetup::TLinkRecheckListener {
 public:
  explicit TRecheckWaiter(TProgressReport& report) : FReport(report) {}

  // The re-check's thread.
  void Progress(std::size_t done, std::size_t total) override {
    if (done == 0) FMailbox.Post([this, total] { FReport.Status("Checking " + std::to_string(total) + " pages..."); });
  }
  void Finished(const std::vector<TRecheckLine>& lines, const livesetup::TLinkRecheckSummary& summary) override {
    FMailbox.Post([this, lines, summary] {
      FLines = lines;
      FSummary = summary;
    });
  }
  // The command's thread: takes the reports until the end, asking recheck
  // to stop once interrupted is set.
  void Wait(livesetup::TLinkRecheck& recheck, const std::atomic<bool>& interrupted) {
    TakeReportsUntil(FMailbox, [this] { return FSummary.has_value(); }, interrupted, [&recheck] { recheck.Stop(); });
  }
  // After Wait.
  const std::vector<TRecheckLine>& Lines() const { return FLines; }
  const livesetup::TLinkRecheckSummary& Summary() const { return *FSummary; }

 private:
  TProgressReport& FReport;
  TMailbox FMailbox;
  // The command's thread's own.
  std::vector<TRecheckLine> FLines;
  std::optional<livesetup::TLinkRecheckSummary> FSummary;
};

std::string LinesText(const THarvestOptions& options, const std::vector<TRecheckLine>& lines) {
  std::string text;
  if (!options.JsonFile.empty()) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const TRecheckLine& line : lines) {
      nlohmann::ordered_json object;
      object["address"] = line.Address;
      object["result"] = LinkStateText(line.Check);
      object["changed"] = LinkChangeText(line);
      array.push_back(std::move(object));
    }
    text = array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  } else if (!options.CsvFile.empty()) {
    std::vector<std::string> csv = {BuildCsvLine({"Address", "Result", "Changed"})};
    for (const TRecheckLine& line : lines) {
      csv.push_back(BuildCsvLine({liverun::SpreadsheetSafeCell(line.Address),
                                  liverun::SpreadsheetSafeCell(LinkStateText(line.Check)), LinkChangeText(line)}));
    }
    text = JoinCsvLines(csv);
  } else {
    for (const TRecheckLine& line : lines) {
      const std::string change = LinkChangeText(line);
      text += LinkStateText(line.Check) + "\t" + line.Address + (change.empty() ? "" : "\t" + change) + "\n";
    }
  }
  return text;
}

}  // namespace

int RunRecheck(const THarvestOptions& options, liverun::TPageFetcher& pages, store::TStore& store,
               THarvestConsole console, const std::atomic<bool>& interrupted) {
  if (options.Domain.empty()) {
    console.Err << "halvane-harvest: recheck needs --domain D: your site, whose links it looks for\n";
    return kHarvestBadArguments;
  }
  const std::string& path = options.CsvFile.empty() ? options.JsonFile : options.CsvFile;
  if (!path.empty()) {
    if (const std::string problem = OutputFileProblem(path); !problem.empty()) {
      console.Err << "halvane-harvest: cannot write " << path << ": " << problem << '\n';
      return kHarvestBadArguments;
    }
  }

  TProgressReport report(console.Err, options.Quiet ? TProgressReport::TStyle::Quiet : console.Style);
  report.SetWidth(console.Width);
  TRecheckWaiter waiter(report);
  {
    livesetup::TLinkRecheck recheck(pages, store, options.Domain, waiter);
    recheck.Start();
    waiter.Wait(recheck, interrupted);
  }
  const livesetup::TLinkRecheckSummary& summary = waiter.Summary();
  if (!summary.StoreError.empty()) {
    console.Err << "halvane-harvest: " << summary.StoreError << '\n';
    return kHarvestSourceFailed;
  }
  if (summary.Stopped) {
    console.Err << "halvane-harvest: stopped; nothing recorded\n";
    return kHarvestInterrupted;
  }
  if (summary.NoLinks()) {
    console.Err << "halvane-harvest: " << livesetup::NoLinksText(summary.StoreLocation) << '\n';
    return kHarvestFinished;
  }

  const std::string text = LinesText(options, waiter.Lines());
  if (path.empty()) {
    console.Out << text << std::flush;
  } else if (!platform::WriteFileAtomically(path, text)) {
    console.Err << "halvane-harvest: cannot write " << path << ": " << std::strerror(errno) << '\n';
    return kHarvestSourceFailed;
  }
  report.Final(livesetup::RecheckCountsText(summary));
  bool lost = false;
  for (const TRecheckLine& line : waiter.Lines()) lost = lost || IsLost(line.Check.State);
  if (lost) return kHarvestLinksLost;
  return summary.Count(store::TLinkState::Failed) > 0 ? kHarvestSourceFailed : kHarvestFinished;
}

}  // namespace halvane::harvest
