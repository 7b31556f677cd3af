#pragma once
// Page retrieval over the program's one HTTP client: FetchPage for the search
// run (status texts, gauge, Stop, the temporary test.html), the update file
// download, the news form posts, and the client's progress handlers. The
// client serves one exchange at a time; users take turns through a lock,
// the interface thread handling events while it waits for its turn. No Qt:
// the window's controls and event loop are reached through the hooks.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "classicrun/TFetchLimits.h"
#include "net/THttpClient.h"

namespace halvane {

class TMultipartBody;

struct TPageFetcherHooks {
  // Runs work on the interface thread, in the order posted; at once when
  // called there.
  std::function<void(std::function<void()>)> Post;
  // Runs work later from the interface thread's event loop, also when
  // called there.
  std::function<void(std::function<void()>)> PostLater;
  // The status panel's text (interface thread).
  std::function<void(std::string_view text)> ShowStatus;
  // The gauge (interface thread): with setMaximum its maximum becomes
  // maximum; its value becomes value, or the maximum when value < 0.
  std::function<void(std::int64_t maximum, std::int64_t value, bool setMaximum)> ShowGauge;
  // Handles pending window events and returns (interface thread).
  std::function<void()> PumpEvents;
  std::thread::id InterfaceThread;
};

class TPageFetcher {
 public:
  // programFolder ends in a path separator (test.html goes there);
  // stopRequested is the window's Stop flag.
  TPageFetcher(std::string programFolder, std::unique_ptr<THttpClient> client, TPageFetcherHooks hooks,
               const std::atomic<bool>& stopRequested);
  ~TPageFetcher();
  TPageFetcher(const TPageFetcher&) = delete;
  TPageFetcher& operator=(const TPageFetcher&) = delete;

  // One page as text through test.html, with status texts, gauge and Stop.
  // From the interface thread or a worker thread. Throws EStreamError when
  // test.html cannot be created, before any status text or request.
  bool FetchPage(const std::string& address, std::string& text);
  // The file at address into localPath; false (and no file) when it fails.
  bool DownloadFile(const std::string& address, const std::string& localPath);
  // Posts a form and returns the reply; throws when the request fails or
  // the client is held by this thread's own exchange further down.
  std::string PostForm(const std::string& address, TMultipartBody& body);

  void WorkBegin(TWorkMode mode, std::int64_t expected);
  void Work(TWorkMode mode, std::int64_t count);
  void WorkEnd(TWorkMode mode);

  // The limits of the following exchanges, by kind (tests shorten them).
  void SetLimits(const TFetchLimits& limits) { FLimits = limits; }

  // Ends the exchange under way, if any (the window closes).
  void Disconnect() noexcept;

  // A page fetch is under way.
  bool Fetching() const { return FFetching; }
  // The calling thread holds the client: a handler nested in its own
  // exchange cannot use it before that exchange has returned.
  bool HeldByThisThread() const { return FOwner.load() == std::this_thread::get_id(); }
  // Runs action once no exchange of the calling thread holds the client:
  // at once when none does, otherwise from the event loop after the
  // exchange in progress has returned (never nested inside it).
  void WhenClientFree(std::function<void()> action);

 private:
  bool Acquire();
  void Release();
  void ShowStatus(std::string_view text);
  void ShowGauge(std::int64_t maximum, std::int64_t value, bool setMaximum);
  void PumpIfInterfaceThread();
  bool OnInterfaceThread() const { return std::this_thread::get_id() == FHooks.InterfaceThread; }

  std::string FProgramFolder;
  std::unique_ptr<THttpClient> FClient;
  TPageFetcherHooks FHooks;
  TFetchLimits FLimits;
  const std::atomic<bool>& FStopRequested;
  std::atomic<bool> FFetching{false};
  std::mutex FMutex;
  std::atomic<std::thread::id> FOwner{};
  std::mutex FWaitingMutex;
  std::vector<std::function<void()>> FWaiting;
};

}  // namespace halvane
