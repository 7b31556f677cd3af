#include "tools/harvest/RecheckCommand.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>

#include <nlohmann/json.hpp>

#include "live/RegistrableDomain.h"
#include "liverun/LiveOutput.h"
#include "pagetest/PageTest.h"
#include "platform/AtomicFile.h"
#include "search/CsvExport.h"
#include "store/TStoreError.h"
#include "tools/harvest/StoreVerbs.h"

namespace halvane::harvest {
namespace {

bool IsLost(store::TLinkState state) {
  return state == store::TLinkState::Missing || state == store::TLinkState::Gone ||
         state == store::TLinkState::PresentNofollow;
}

// "was present, followed (2026-12-04 10:00)", or "" when nothing changed.
std::string ChangeText(const TRecheckLine& line) {
  if (!line.Previous) return "first check";
  if (line.Previous->State == line.Check.State && line.Previous->HttpStatus == line.Check.HttpStatus) return {};
  return "was " + LinkStateText(*line.Previous) + " (" + TimeText(line.Previous->CheckedAt) + ")";
}

// Every answer handed over from the client's thread, and who waits for them.
class TAnswers {
 public:
  void Add(std::size_t index, store::TLinkCheck check) {
    {
      std::lock_guard lock(FLock);
      FChecks.emplace(index, std::move(check));
    }
    FArrived.notify_all();
  }
  // Waits until count answers are in or interrupted is set (looked at every
  // 50 ms: a signal handler cannot wake a condition variable).
  void Wait(std::size_t count, const std::atomic<bool>& interrupted) {
    std::unique_lock lock(FLock);
    while (FChecks.size() < count && !interrupted.load()) {
      FArrived.wait_for(lock, std::chrono::milliseconds(50));
    }
  }
  std::map<std::size_t, store::TLinkCheck> Take() {
    std::lock_guard lock(FLock);
    return std::move(FChecks);
  }

 private:
  std::mutex FLock;
  std::condition_variable FArrived;
  std::map<std::size_t, store::TLinkCheck> FChecks;
};

}  // namespace

store::TLinkCheck CheckLinkOnPage(const live::TLiveResponse& response, const std::string& address,
                                  const std::string& domain) {
  store::TLinkCheck check;
  if (response.Succeeded()) {
    const std::string finalUrl = response.FinalUrl.empty() ? address : response.FinalUrl;
    const std::string host = live::HostOfUrl(finalUrl);
    const std::string site = live::RegistrableDomain(host);
    const std::string contentType = response.Header("content-type");
    const pagetest::TPageVerdict verdict = pagetest::TestPage(response.Body, {domain, host, site, contentType});
    if (!verdict.HasYourLink) {
      check.State = store::TLinkState::Missing;
    } else {
      check.State = verdict.YourLinkNofollow ? store::TLinkState::PresentNofollow : store::TLinkState::PresentFollowed;
    }
    return check;
  }
  if (response.Answered() && (response.Status == 404 || response.Status == 410)) {
    check.State = store::TLinkState::Gone;
    check.HttpStatus = response.Status;
    return check;
  }
  check.State = store::TLinkState::Failed;
  if (response.Answered()) {
    check.HttpStatus = response.Status;
    check.Reason = "HTTP " + std::to_string(response.Status);
  } else if (response.Error == live::TLiveError::RobotsDisallowed) {
    check.Reason = "robots.txt refuses it";
  } else {
    check.Reason = response.Message.empty() ? std::string("no answer") : response.Message;
  }
  return check;
}

std::string LinkStateText(const store::TLinkCheck& check) {
  switch (check.State) {
    case store::TLinkState::PresentFollowed: return "present, followed";
    case store::TLinkState::PresentNofollow: return "present, nofollow";
    case store::TLinkState::Missing: return "missing";
    case store::TLinkState::Gone: return "page gone (HTTP " + std::to_string(check.HttpStatus) + ")";
    case store::TLinkState::Failed: break;
  }
  return "failed: " + check.Reason;
}

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
  std::vector<store::TUserLink> links;
  try {
    links = store.Links();
  } catch (const store::TStoreError& failure) {
    console.Err << "halvane-harvest: " << failure.what() << '\n';
    return kHarvestSourceFailed;
  }
  if (links.empty()) {
    console.Err << "halvane-harvest: no links recorded in " << store.Location()
                << "; add the pages of your comments with \"halvane-harvest links add URL...\"\n";
    return kHarvestFinished;
  }

  TProgressReport report(console.Err, options.Quiet ? TProgressReport::TStyle::Quiet : console.Style);
  report.SetWidth(console.Width);
  TAnswers answers;
  for (std::size_t i = 0; i < links.size(); ++i) {
    pages.Fetch(links[i].Address,
                [&answers, i, address = links[i].Address, domain = options.Domain](live::TLiveResponse response) {
                  answers.Add(i, CheckLinkOnPage(response, address, domain));
                });
  }
  report.Status("Checking " + std::to_string(links.size()) + " pages...");
  answers.Wait(links.size(), interrupted);
  if (interrupted.load()) {
    pages.AbortAll();
    answers.Wait(links.size(), std::atomic<bool>(false));  // every fetch ends, aborted
    console.Err << "halvane-harvest: stopped; nothing recorded\n";
    return kHarvestInterrupted;
  }

  std::map<std::size_t, store::TLinkCheck> checks = answers.Take();
  std::vector<TRecheckLine> lines;
  std::size_t counts[5] = {};
  try {
    for (std::size_t i = 0; i < links.size(); ++i) {
      TRecheckLine line{links[i].Address, checks[i], std::nullopt};
      line.Previous = store.RecordLinkCheck(line.Address, line.Check);
      ++counts[static_cast<std::size_t>(line.Check.State)];
      lines.push_back(std::move(line));
    }
  } catch (const store::TStoreError& failure) {
    console.Err << "halvane-harvest: " << failure.what() << '\n';
    return kHarvestSourceFailed;
  }

  std::string text;
  if (!options.JsonFile.empty()) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const TRecheckLine& line : lines) {
      nlohmann::ordered_json object;
      object["address"] = line.Address;
      object["result"] = LinkStateText(line.Check);
      object["changed"] = ChangeText(line);
      array.push_back(std::move(object));
    }
    text = array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  } else if (!options.CsvFile.empty()) {
    std::vector<std::string> csv = {BuildCsvLine({"Address", "Result", "Changed"})};
    for (const TRecheckLine& line : lines) {
      csv.push_back(BuildCsvLine({liverun::SpreadsheetSafeCell(line.Address),
                                  liverun::SpreadsheetSafeCell(LinkStateText(line.Check)), ChangeText(line)}));
    }
    text = JoinCsvLines(csv);
  } else {
    for (const TRecheckLine& line : lines) {
      const std::string change = ChangeText(line);
      text += LinkStateText(line.Check) + "\t" + line.Address + (change.empty() ? "" : "\t" + change) + "\n";
    }
  }
  if (path.empty()) {
    console.Out << text << std::flush;
  } else if (!platform::WriteFileAtomically(path, text)) {
    console.Err << "halvane-harvest: cannot write " << path << ": " << std::strerror(errno) << '\n';
    return kHarvestSourceFailed;
  }
  const auto count = [&](store::TLinkState state) { return counts[static_cast<std::size_t>(state)]; };
  report.Final(std::to_string(links.size()) + (links.size() == 1 ? " page" : " pages") + " checked: " +
               std::to_string(count(store::TLinkState::PresentFollowed)) + " followed, " +
               std::to_string(count(store::TLinkState::PresentNofollow)) + " nofollow, " +
               std::to_string(count(store::TLinkState::Missing)) + " missing, " +
               std::to_string(count(store::TLinkState::Gone)) + " gone, " +
               std::to_string(count(store::TLinkState::Failed)) + " failed");
  bool lost = false;
  for (const TRecheckLine& line : lines) lost = lost || IsLost(line.Check.State);
  if (lost) return kHarvestLinksLost;
  return count(store::TLinkState::Failed) > 0 ? kHarvestSourceFailed : kHarvestFinished;
}

}  // namespace halvane::harvest
