#include "liverun/HarvestCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "liverun/TLiveRun.h"
#include "platform/AtomicFile.h"

namespace halvane::liverun {
namespace {

// Keeps a run's rows and feeds the progress report.
class TCollector : public TLiveRunListener {
 public:
  explicit TCollector(TProgressReport& report) : FReport(report) {}

  void RowAdded(std::size_t, const TLiveResult& result) override {
    std::lock_guard lock(FLock);
    FRows.push_back(result);
    FReport.Counts(FFound, FJudged, FRows.size());
  }
  void ResultChanged(std::size_t row, const TLiveResult& result) override {
    std::lock_guard lock(FLock);
    if (row < FRows.size()) FRows[row] = result;
  }
  void PageSettled(const TPageOutcome& outcome) override {
    std::lock_guard lock(FLock);
    FOutcomes.push_back(outcome);
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

  std::vector<TPageOutcome> Outcomes() {
    std::lock_guard lock(FLock);
    return FOutcomes;
  }
  std::vector<TLiveResult> Rows() {
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
  std::vector<TLiveResult> FRows;
  std::vector<TPageOutcome> FOutcomes;
  std::size_t FFound = 0;
  std::size_t FJudged = 0;
  TLiveRunSummary FSummary;
};

}  // namespace

std::string OutputFileProblem(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) {
    if (errno == ENOENT) return "no such folder " + folder;
    return "cannot reach the folder " + folder + " (" + std::strerror(errno) + ")";
  }
  if (!S_ISDIR(status.st_mode)) return folder + " is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "the folder " + folder + " is not writable (" + std::strerror(errno) + ")";
  }
  if (path.empty() || path.back() == '/') return "no file name given";
  if (::stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return "it is a folder";
    if (!S_ISREG(status.st_mode)) return "it is not a regular file (a FIFO, a device or a socket)";
  }
  return {};
}

int RunHarvest(const THarvestOptions& options, TLiveRunParts& parts, THarvestConsole console,
               const std::atomic<bool>& interrupted) {
  const std::string& path = options.CsvFile.empty() ? options.JsonFile : options.CsvFile;
  for (const std::string& output : {path, options.ReportFile}) {
    if (output.empty()) continue;
    if (const std::string problem = OutputFileProblem(output); !problem.empty()) {
      console.Err << "halvane-harvest: cannot write " << output << ": " << problem << '\n';
      return kHarvestBadArguments;
    }
  }
  const bool several = options.Keywords.size() > 1;
  TLiveTable table;
  table.WithKeyword = several;
  std::vector<TPageOutcome> outcomes;
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
    for (TLiveResult& result : collector.Rows()) table.Results.push_back(std::move(result));
    for (TPageOutcome& outcome : collector.Outcomes()) outcomes.push_back(std::move(outcome));
  }

  const std::string text = options.JsonFile.empty() ? LiveCsvText(table) : LiveJsonText(table);
  if (path.empty()) {
    console.Out << text << std::flush;
  } else if (table.Results.empty() && (stopped || !failures.empty())) {
    // An earlier run's rows are worth more than an empty table.
    failures.push_back(path + " not written: the run ended before it found a row");
  } else if (!platform::WriteFileAtomically(path, text)) {
    failures.push_back("cannot write " + path + ": " + std::strerror(errno));
    stopped = false;  // the rows are lost: that is the outcome to report
  }
  // After the rows: a report that cannot be written loses no row.
  if (!options.ReportFile.empty() &&
      !platform::WriteFileAtomically(options.ReportFile, PageReportText(outcomes, several))) {
    failures.push_back("cannot write " + options.ReportFile + ": " + std::strerror(errno));
    stopped = false;
  }
  for (const std::string& failure : failures) console.Err << "halvane-harvest: " << failure << '\n';
  if (stopped) return kHarvestInterrupted;
  return failures.empty() ? kHarvestFinished : kHarvestSourceFailed;
}

}  // namespace halvane::liverun
