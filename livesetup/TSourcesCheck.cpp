#include "livesetup/TSourcesCheck.h"

#include <stdexcept>

#include "live/TLiveClient.h"
#include "livesetup/TListDownload.h"
#include "sources/TOpenPageRank.h"
#include "sources/MakeSearchBackEnd.h"
#include "tables/TAuthorityTable.h"
#include "tables/TTableError.h"
#include "tables/TableText.h"

namespace halvane::livesetup {

TSourcesCheck::TSourcesCheck(sources::TSources sources) : FSources(std::move(sources)) {}

TSourcesCheck::~TSourcesCheck() {
  {
    // No done after this; one running now on another thread is waited for.
    std::unique_lock lock(FLock);
    FDone = nullptr;
    FCallReturned.wait(lock, [this] { return !FCalling; });
  }
  if (FWorker.joinable()) FWorker.join();
  // Back ends first: after their Stop no handler runs.
  if (FSearch) FSearch->Stop();
  FSearch.reset();
  FAuthority.reset();
  FClient.reset();
}

void TSourcesCheck::Report(std::size_t slot, std::string result) {
  TDone done;
  std::vector<TServiceCheck> checks;
  {
    std::lock_guard lock(FLock);
    if (slot < FChecks.size()) {
      if (!FChecks[slot].Result.empty()) return;
      FChecks[slot].Result = std::move(result);
    }
    if (--FOpen > 0) return;
    done = std::move(FDone);
    checks = FChecks;
    FCalling = static_cast<bool>(done);
  }
  if (!done) return;
  done(std::move(checks));
  {
    std::lock_guard lock(FLock);
    FCalling = false;
  }
  FCallReturned.notify_all();
}

void TSourcesCheck::Start(TDone done) {
  if (FWorker.joinable()) return;
  {
    std::lock_guard lock(FLock);
    FDone = std::move(done);
  }
  FWorker = std::thread([this] { Run(); });
}

void TSourcesCheck::Run() {
  FClient = std::make_unique<live::TLiveClient>(FSources.Network);
  std::size_t search = SIZE_MAX;
  std::size_t authority = SIZE_MAX;
  std::size_t ranking = SIZE_MAX;
  {
    std::lock_guard lock(FLock);
    if (FSources.LiveMode()) {
      search = FChecks.size();
      FChecks.push_back(
          {FSources.Engine == sources::TSearchEngine::Searxng ? "Search (SearXNG)" : "Search (Brave)", ""});
    }
    if (FSources.Authority == sources::TAuthoritySource::OpenPageRank ||
        FSources.Authority == sources::TAuthoritySource::Table) {
      authority = FChecks.size();
      FChecks.push_back({FSources.Authority == sources::TAuthoritySource::Table ? "Authority (table)"
                                                                                : "Authority (Open PageRank)",
                         ""});
    }
    if (FSources.Ranking == sources::TRankingSource::Tranco) {
      ranking = FChecks.size();
      FChecks.push_back({"Traffic rank (Tranco list)", ""});
    }
    FOpen = FChecks.size() + 1;  // one for this call, released at its end
  }

  if (search != SIZE_MAX) {
    try {
      FSearch = sources::MakeSearchBackEnd(FSources, *FClient);
      FSearch->Start(
          "\"halvane\" \"comment\"", 1, [](const liverun::TSearchProgress&) {},
          [this, search](liverun::TSearchOutcome outcome) {
            Report(search, outcome.Problem.empty() ? "OK" : outcome.Problem);
          });
    } catch (const std::invalid_argument& failure) {
      Report(search, failure.what());
    }
  }
  if (authority != SIZE_MAX) {
    if (FSources.Authority == sources::TAuthoritySource::Table) {
      try {
        tables::TAuthorityTable::Open(FSources.AuthorityTable, tables::DefaultCacheDir());
        Report(authority, "OK");
      } catch (const tables::TTableError& failure) {
        Report(authority, failure.what());
      }
    } else {
      FAuthority = std::make_unique<sources::TOpenPageRank>(
          *FClient, FSources.OpenPageRankUrl, FSources.OpenPageRankKey,
          [this, authority](const std::string&, std::optional<int>, const std::string& error) {
            Report(authority, error.empty() ? "OK" : error);
          });
      FAuthority->Request("https://example.com/");
      FAuthority->Flush();
    }
  }
  if (ranking != SIZE_MAX) {
    const std::string error = CheckTrancoList(FSources.TrancoFile);
    Report(ranking, error.empty() ? "OK" : error);
  }
  Report(SIZE_MAX, {});  // releases Run's own hold
}

}  // namespace halvane::livesetup
