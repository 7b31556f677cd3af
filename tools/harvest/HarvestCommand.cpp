#include "tools/harvest/HarvestCommand.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <set>

#include "liverun/LiveOutput.h"
#include "liverun/TLiveRun.h"
#include "livesetup/TStoreMemory.h"
#include "platform/AtomicFile.h"
#include "store/TStoreError.h"
#include "tools/harvest/TAddressList.h"
#include "tools/harvest/TRowCollector.h"

namespace halvane::harvest {
namespace {

using liverun::TLiveResult;
using liverun::TLiveRunSummary;
using liverun::TPageOutcome;

// One run of the harvest: a keyword with a footprint, or the list to judge.
struct TRunInput {
  std::string Keyword;
  std::string Footprint;
};

std::vector<TRunInput> RunInputs(const THarvestOptions& options) {
  if (options.Verb == TVerb::Judge) return {{}};
  const std::vector<std::string> footprints =
      options.Footprints.empty() ? std::vector<std::string>{""} : options.Footprints;
  std::vector<TRunInput> inputs;
  for (const std::string& keyword : options.Keywords) {
    for (const std::string& footprint : footprints) inputs.push_back({keyword, footprint});
  }
  return inputs;
}

std::string Label(const TRunInput& input, bool byKeyword, bool byFootprint) {
  if (byKeyword && byFootprint) return input.Keyword + " / " + input.Footprint;
  return byFootprint ? input.Footprint : input.Keyword;
}

}  // namespace

int RunHarvest(const THarvestOptions& options, liverun::TLiveRunParts& parts, THarvestConsole console,
               const std::atomic<bool>& interrupted, store::TStore* store) {
  const std::string& path = options.CsvFile.empty() ? options.JsonFile : options.CsvFile;
  for (const std::string& output : {path, options.ReportFile}) {
    if (output.empty()) continue;
    if (const std::string problem = OutputFileProblem(output); !problem.empty()) {
      console.Err << "halvane-harvest: cannot write " << output << ": " << problem << '\n';
      return kHarvestBadArguments;
    }
  }
  const bool judging = options.Verb == TVerb::Judge;
  if (judging) parts.Harvest = std::make_unique<TAddressList>(options.Urls);
  const std::vector<TRunInput> inputs = RunInputs(options);
  const bool byKeyword = options.Keywords.size() > 1;
  const bool byFootprint = options.Footprints.size() > 1;
  liverun::TLiveTable table;
  table.WithKeyword = byKeyword;
  table.WithFootprint = byFootprint;
  table.WithNew = store != nullptr;
  std::vector<TPageOutcome> outcomes;
  TProgressReport report(console.Err, options.Quiet ? TProgressReport::TStyle::Quiet : console.Style);
  report.SetWidth(console.Width);
  std::vector<std::string> failures;

  std::int64_t runId = 0;
  std::unique_ptr<livesetup::TStoreMemory> memory;
  if (store) {
    try {
      runId = store->BeginRun(options.Keywords, options.Footprints, parts.Harvest ? parts.Harvest->Name() : "");
    } catch (const store::TStoreError& failure) {
      console.Err << "halvane-harvest: " << failure.what() << '\n';
      return kHarvestSourceFailed;
    }
    memory = std::make_unique<livesetup::TStoreMemory>(*store, livesetup::TMemoryOptions{options.NewOnly, options.Days, runId});
    parts.Memory = memory.get();
  }

  store::TRunCounts counts;
  // A page one keyword's footprints found again shows once; each keyword
  // keeps its own row of a page, its Keyword cell says which found it.
  std::set<std::pair<std::string, std::string>> pages;
  std::size_t duplicates = 0;
  bool stopped = false;
  for (std::size_t index = 0; index < inputs.size() && !stopped; ++index) {
    const TRunInput& input = inputs[index];
    report.Keyword(Label(input, byKeyword, byFootprint), index, inputs.size());
    TRowCollector collector(report);
    liverun::TLiveRun run(parts, {input.Keyword, options.Domain, judging ? 1 : options.Depth, input.Footprint},
                          collector);
    run.Start();
    collector.TakeReportsUntilFinished(run, interrupted);
    const TLiveRunSummary summary = collector.Summary();
    stopped = summary.Stopped || interrupted.load();
    report.Final(SummaryText(summary));
    if (!summary.SourceError.empty()) {
      failures.push_back((inputs.size() > 1 ? Label(input, byKeyword, byFootprint) + ": " : "") +
                         summary.SourceError);
    }
    for (TLiveResult& result : collector.Rows()) {
      if (!pages.emplace(result.Keyword, result.Url).second) {
        ++duplicates;
        continue;
      }
      table.Results.push_back(std::move(result));
    }
    for (TPageOutcome& outcome : collector.Outcomes()) outcomes.push_back(std::move(outcome));
    counts.Harvested += static_cast<std::int64_t>(summary.PagesFound);
    counts.Judged += static_cast<std::int64_t>(summary.PagesJudged - summary.Blacklisted - summary.JudgedRecently -
                                               summary.Duplicates);
    counts.Skipped += static_cast<std::int64_t>(summary.Blacklisted + summary.JudgedRecently);
  }
  parts.Memory = nullptr;
  counts.Rows = static_cast<std::int64_t>(table.Results.size());
  if (inputs.size() > 1 && !options.Quiet) {
    console.Err << table.Results.size() << (table.Results.size() == 1 ? " row" : " rows") << " in all from "
                << inputs.size() << " runs";
    if (duplicates > 0) console.Err << ", " << duplicates << (duplicates == 1 ? " duplicate" : " duplicates") << " removed";
    console.Err << '\n';
  }
  if (store) {
    if (!memory->Error().empty()) failures.push_back(memory->Error());
    try {
      store->EndRun(runId, counts);
    } catch (const store::TStoreError& failure) {
      failures.push_back(failure.what());
    }
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
      !platform::WriteFileAtomically(options.ReportFile, PageReportText(outcomes, byKeyword, byFootprint))) {
    failures.push_back("cannot write " + options.ReportFile + ": " + std::strerror(errno));
    stopped = false;
  }
  for (const std::string& failure : failures) console.Err << "halvane-harvest: " << failure << '\n';
  if (stopped) return kHarvestInterrupted;
  return failures.empty() ? kHarvestFinished : kHarvestSourceFailed;
}

}  // namespace halvane::harvest
