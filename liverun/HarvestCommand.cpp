#include "liverun/HarvestCommand.h"

#include <chrono>
#include <mutex>

#include "liverun/TLiveRun.h"
#include "platform/AtomicFile.h"

namespace halvane::liverun {
namespace {

// Keeps a run's rows and feeds the progress report.
class TCollector : public TLiveRunListener {
 public:
  explicit TCollector(TProgressReport& report) : FReport(report) {}

  void RowAdded(std::size_t, const TLiveRow& cells) override {
    std::lock_guard lock(FLock);
    FRows.push_back(cells);
    FReport.Counts(FFound, FJudged, FRows.size());
  }
  void CellSet(std::size_t row, int column, const std::string& text) override {
    std::lock_guard lock(FLock);
    if (row < FRows.size() && column >= 0 && column < kLiveColumnCount) {
      FRows[row][static_cast<std::size_t>(column)] = text;
    }
  }
  void StatusText(const std::string& text) override { FReport.Status(text); }
  void Progress(std::size_t done, std::size_t total) override {
    std::lock_guard lock(FLock);
    FJudged = done;
    FFound = total;
    FReport.Counts(FFound, FJudged, FRows.size());
  }
  void Finished(const TLiveRunSummary& summary) override {
    std::lock_guard lock(FLock);
    FSummary = summary;
  }

  std::vector<TLiveRow> Rows() {
    std::lock_guard lock(FLock);
    return FRows;
  }
  TLiveRunSummary Summary() {
    std::lock_guard lock(FLock);
    return FSummary;
  }

 private:
  TProgressReport& FReport;
  std::mutex FLock;
  std::vector<TLiveRow> FRows;
  std::size_t FFound = 0;
  std::size_t FJudged = 0;
  TLiveRunSummary FSummary;
};

}  // namespace

TLiveTable HarvestTable(bool severalKeywords) {
  TLiveTable table;
  if (severalKeywords) table.Captions.emplace_back(kKeywordCaption);
  for (const std::string& caption : LiveColumnCaptions()) table.Captions.push_back(caption);
  return table;
}

int RunHarvest(const THarvestOptions& options, TLiveRunParts& parts, THarvestConsole console,
               const std::atomic<bool>& interrupted) {
  const bool several = options.Keywords.size() > 1;
  TLiveTable table = HarvestTable(several);
  TProgressReport report(console.Err, options.Quiet ? TProgressReport::TStyle::Quiet : console.Style);
  std::vector<std::string> failures;
  bool stopped = false;
  for (std::size_t index = 0; index < options.Keywords.size() && !stopped; ++index) {
    const std::string& keyword = options.Keywords[index];
    report.Keyword(keyword, index, options.Keywords.size());
    TCollector collector(report);
    TLiveRun run(parts, {keyword, options.Domain, options.Depth}, collector);
    run.Start();
    while (!run.WaitFor(std::chrono::milliseconds(20))) {
      if (interrupted.load()) run.Stop();
    }
    const TLiveRunSummary summary = collector.Summary();
    stopped = summary.Stopped || interrupted.load();
    report.Final(SummaryText(summary));
    if (!summary.SourceError.empty()) failures.push_back((several ? keyword + ": " : "") + summary.SourceError);
    for (const TLiveRow& cells : collector.Rows()) {
      std::vector<std::string> row;
      if (several) row.push_back(keyword);
      row.insert(row.end(), cells.begin(), cells.end());
      table.Rows.push_back(std::move(row));
    }
  }

  const std::string& path = options.CsvFile.empty() ? options.JsonFile : options.CsvFile;
  const std::string text = options.JsonFile.empty() ? LiveCsvText(table) : LiveJsonText(table);
  if (path.empty()) {
    console.Out << text << std::flush;
  } else if (!platform::WriteFileAtomically(path, text)) {
    console.Err << "halvane-harvest: cannot write " << path << '\n';
    return kHarvestSourceFailed;
  }
  for (const std::string& failure : failures) console.Err << "halvane-harvest: " << failure << '\n';
  if (stopped) return kHarvestInterrupted;
  return failures.empty() ? kHarvestFinished : kHarvestSourceFailed;
}

}  // namespace halvane::liverun
