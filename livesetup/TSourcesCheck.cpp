#include "livesetup/TSourcesCheck.h"

#include "live/TLiveClient.h"
#include "sources/TSourceRegistry.h"

namespace halvane::livesetup {

using sources::TSourceRegistry;

TSourcesCheck::TSourcesCheck(sources::TSources sources) : FSources(std::move(sources)) {}

TSourcesCheck::~TSourcesCheck() {
  {
    // No done after this; one running now on another thread is waited for.
    std::unique_lock lock(FLock);
    FDone = nullptr;
    FCallReturned.wait(lock, [this] { return !FCalling; });
  }
  if (FWorker.joinable()) FWorker.join();
  // The checks first (a search is stopped as it goes): no handler runs after.
  for (std::shared_ptr<void>& running : FRunning) running.reset();
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
  // The chosen entries that can be asked, each with its slot.
  using TCheck = std::function<std::shared_ptr<void>(const sources::TSources&, live::TLiveClient&,
                                                     sources::TCheckReport)>;
  std::vector<std::pair<std::size_t, TCheck>> asked;
  {
    std::lock_guard lock(FLock);
    const auto add = [&](const auto& entry) {
      if (!entry.Check) return;
      asked.emplace_back(FChecks.size(), entry.Check);
      FChecks.push_back({entry.CheckName, ""});
    };
    add(TSourceRegistry::Engine(FSources.Engine));
    add(TSourceRegistry::Authority(FSources.Authority));
    add(TSourceRegistry::Ranking(FSources.Ranking));
    FOpen = FChecks.size() + 1;  // one for this call, released at its end
  }
  for (const auto& entry : asked) {
    const std::size_t slot = entry.first;
    FRunning.push_back(
        entry.second(FSources, *FClient, [this, slot](std::string result) { Report(slot, std::move(result)); }));
  }
  Report(SIZE_MAX, {});  // releases Run's own hold
}

}  // namespace halvane::livesetup
