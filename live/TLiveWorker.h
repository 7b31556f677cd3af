#pragma once
// The live client's worker: one thread that owns libcurl's multi handle and
// every transfer. It takes the commands other threads post (TCommandQueue),
// routes each request (private address check, robots.txt through
// TRobotsGate for pages, its host's queue in THostQueues), starts what the
// limits allow, and on each finished attempt retries a 429 or 503, follows
// a redirect (TRedirectStep) or completes the request.
//
// Threads: Submit, Abort, AbortAll, AbortGroup and Post may be called from any
// thread (they post commands); Settings from any thread (it never
// changes). Everything else runs on the worker thread, completion handlers
// included, one at a time. The destructor stops and joins the thread;
// requests still pending then are dropped without their handlers.
#include <curl/curl.h>

#include <memory>
#include <string>
#include <thread>
#include <unordered_map>

#include "live/TCommandQueue.h"
#include "live/THostQueues.h"
#include "live/TLiveClient.h"
#include "live/TRedirectStep.h"
#include "live/TRobotsGate.h"
#include "live/TTransferOptions.h"

namespace halvane::live {

class TTransfer;

class TLiveWorker {
 public:
  explicit TLiveWorker(TNetworkSettings settings);
  ~TLiveWorker();
  TLiveWorker(const TLiveWorker&) = delete;
  TLiveWorker& operator=(const TLiveWorker&) = delete;

  TRequestId Submit(TLiveRequest request, TCompletion done) {
    return FCommands.Submit(std::move(request), std::move(done));
  }
  void Abort(TRequestId id) { FCommands.Abort(id); }
  void AbortAll() { FCommands.AbortAll(); }
  void AbortGroup(std::string group) { FCommands.AbortGroup(std::move(group)); }
  void Post(std::function<void()> task) { FCommands.Run(std::move(task)); }
  const TNetworkSettings& Settings() const noexcept { return FSettings; }

 private:
  using TClock = THostQueues::TClock;

  void Run();
  bool TakeCommands();
  void Accept(TRequestId id, TLiveRequest request, TCompletion done);
  void Route(TTransfer& t);
  void AwaitRobots(TTransfer& t);
  void Admit(TTransfer& t);
  void RobotsArrived(const std::string& origin, const TLiveResponse& answer);
  void Enqueue(TTransfer& t);
  void WakeRetries(TClock::time_point now);
  void StartReady(TClock::time_point now);
  void StartOne(TTransfer& t, TClock::time_point now);
  bool CollectFinished();
  void Finished(TTransfer& t, CURLcode result);
  void Complete(TRequestId id, TLiveResponse response);
  void AbortOne(TRequestId id, TLiveError error = TLiveError::Aborted, const std::string& message = "aborted");
  void AbortEverything(const std::string* group = nullptr, TLiveError error = TLiveError::Aborted,
                       const std::string& message = "aborted");
  void FailEverything(std::string why);

  TTransferOptions FOptions;  // NextProxy: worker thread only
  const TNetworkSettings& FSettings;  // FOptions's
  CURLM* FMulti = nullptr;
  TCommandQueue FCommands;  // the one part other threads touch

  // Owned by the worker thread.
  std::unordered_map<TRequestId, std::unique_ptr<TTransfer>> FTransfers;
  THostQueues FQueues;
  TRobotsGate FRobots;
  TRedirectStep FRedirects;
  std::string FBroken;  // why the multi handle is out of use; "" while it works

  std::thread FThread;  // last: starts when everything above exists
};

}  // namespace halvane::live
