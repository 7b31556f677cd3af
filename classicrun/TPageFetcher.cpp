#include "classicrun/TPageFetcher.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/TScopeExit.h"
#include "classicrun/TPageFile.h"
#include "net/EStreamError.h"
#include "net/TFileStream.h"
#include "net/TMultipartBody.h"
#include "search/PageText.h"

namespace halvane {
namespace {

// The fetched body as page text.
std::string PageText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EStreamError("cannot read " + path);
  const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EStreamError("cannot read " + path);
  return PageTextFromBody(body);
}

void DisconnectQuietly(THttpClient& client) noexcept {
  try {
    client.Disconnect();
  } catch (...) {
  }
}

}  // namespace

TPageFetcher::TPageFetcher(std::string programFolder, std::unique_ptr<THttpClient> client,
                           TPageFetcherHooks hooks, const std::atomic<bool>& stopRequested)
    : FProgramFolder(std::move(programFolder)),
      FClient(std::move(client)),
      FHooks(std::move(hooks)),
      FStopRequested(stopRequested) {
  if (FHooks.PumpEvents) FClient->SetEventPump(FHooks.PumpEvents, FHooks.InterfaceThread);
  // A Stop reaches a request to a silent server within one wait slice; other
  // users of the client (news, updates) are not cut by an old Stop.
  FClient->SetAbortCheck([this] { return FFetching && FStopRequested; });
  FClient->OnWorkBegin = [this](TWorkMode mode, std::int64_t expected) { WorkBegin(mode, expected); };
  FClient->OnWork = [this](TWorkMode mode, std::int64_t count) { Work(mode, count); };
  FClient->OnWorkEnd = [this](TWorkMode mode) { WorkEnd(mode); };
}

TPageFetcher::~TPageFetcher() = default;

void TPageFetcher::ShowStatus(std::string_view text) {
  if (FHooks.Post && FHooks.ShowStatus)
    FHooks.Post([show = FHooks.ShowStatus, shown = std::string(text)] { show(shown); });
}

void TPageFetcher::ShowGauge(std::int64_t maximum, std::int64_t value, bool setMaximum) {
  if (FHooks.Post && FHooks.ShowGauge)
    FHooks.Post([show = FHooks.ShowGauge, maximum, value, setMaximum] { show(maximum, value, setMaximum); });
}

void TPageFetcher::PumpIfInterfaceThread() {
  if (FHooks.PumpEvents && OnInterfaceThread()) FHooks.PumpEvents();
}

bool TPageFetcher::Acquire() {
  const std::thread::id self = std::this_thread::get_id();
  // The client holds one exchange at a time: a fetch from a handler nested
  // in this thread's own fetch cannot wait for it and is refused.
  if (FOwner.load() == self) return false;
  if (OnInterfaceThread()) {
    while (!FMutex.try_lock()) {
      PumpIfInterfaceThread();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  } else {
    FMutex.lock();
  }
  FOwner = self;
  return true;
}

void TPageFetcher::Release() {
  FOwner = std::thread::id();
  FMutex.unlock();
  std::vector<std::function<void()>> waiting;
  {
    std::lock_guard<std::mutex> lock(FWaitingMutex);
    waiting.swap(FWaiting);
  }
  // Started from the event loop once this exchange's handler has returned.
  for (auto& action : waiting)
    FHooks.PostLater([this, action = std::move(action)]() mutable { WhenClientFree(std::move(action)); });
}

void TPageFetcher::WhenClientFree(std::function<void()> action) {
  if (!HeldByThisThread() || !FHooks.PostLater) {
    action();
    return;
  }
  std::lock_guard<std::mutex> lock(FWaitingMutex);
  FWaiting.push_back(std::move(action));
}

bool TPageFetcher::FetchPage(const std::string& address, std::string& text) {
  if (FStopRequested) return false;
  text.clear();
  if (!Acquire()) {
    ShowStatus(kFetchFailedStatus);
    return false;
  }
  const TScopeExit release([this] {
    FFetching = false;
    Release();
  });
  if (FStopRequested) return false;
  const std::string path = FProgramFolder + "test.html";
  // Raised to the caller before any status text or request.
  auto file = std::make_unique<TPageFile>(path);
  FFetching = true;
  bool fetched = false;
  try {
    ShowStatus(GettingUrlStatusText(address));
    ShowGauge(0, 0, false);
    PumpIfInterfaceThread();
    FClient->SetLimits(FLimits.Page);
    FClient->Get(address, *file);
    file.reset();
    FClient->Disconnect();
    if (FStopRequested) {
      ShowStatus(kFetchAbortedStatus);
    } else {
      text = PageText(path);
      ShowStatus(kFetchDoneStatus);
      fetched = true;
    }
  } catch (...) {
    DisconnectQuietly(*FClient);
    file.reset();
    text.clear();
    ShowStatus(kFetchFailedStatus);
    fetched = false;
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return fetched;
}

void TPageFetcher::WorkBegin(TWorkMode, std::int64_t expected) {
  ShowGauge(expected, 0, true);
  PumpIfInterfaceThread();
}

void TPageFetcher::Work(TWorkMode, std::int64_t count) {
  // Only a page fetch is cut by Stop; an old Stop leaves other transfers be.
  if (FFetching && FStopRequested) FClient->Disconnect();
  ShowGauge(0, count, false);
  PumpIfInterfaceThread();
}

void TPageFetcher::WorkEnd(TWorkMode) {
  ShowGauge(0, -1, false);
  PumpIfInterfaceThread();
}

void TPageFetcher::Disconnect() noexcept { DisconnectQuietly(*FClient); }

bool TPageFetcher::DownloadFile(const std::string& address, const std::string& localPath) {
  std::error_code ignored;
  std::filesystem::remove(localPath, ignored);
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(localPath, TFileMode::Create);
  } catch (const std::exception&) {
    // A folder we cannot write to: no copy, so no update found.
    return false;
  }
  PumpIfInterfaceThread();
  bool fetched = false;
  if (Acquire()) {
    const TScopeExit release([this] { Release(); });
    try {
      FClient->SetLimits(FLimits.Update);
      FClient->Get(address, *file);
      file.reset();
      FClient->Disconnect();
      fetched = true;
    } catch (...) {
      DisconnectQuietly(*FClient);
    }
  }
  file.reset();
  if (!fetched) std::filesystem::remove(localPath, ignored);
  return fetched;
}

std::string TPageFetcher::PostForm(const std::string& address, TMultipartBody& body) {
  // A request from a handler nested in this thread's own exchange cannot
  // wait for it; it fails like an unreachable server and the exchange under
  // way goes on untouched.
  if (!Acquire()) throw EHttpClientError(THttpErrorKind::Busy, "the HTTP client is in use");
  const TScopeExit release([this] { Release(); });
  FClient->SetLimits(FLimits.News);
  return FClient->Post(address, body, body.ContentType());
}

}  // namespace halvane
