#include "live/TLiveClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "live/RetryAfter.h"
#include "live/TRobotsCache.h"
#include "live/TTransfer.h"
#include "live/UrlParts.h"

namespace halvane::live {

namespace {

using TClock = TTransfer::TClock;
using namespace std::chrono_literals;

constexpr int kRetries = 2;               // a 429 or 503 is asked again at most twice
constexpr long kLongestRetryAfter = 60;   // seconds; a longer wait is not waited for
constexpr long kLongestPollMs = 1000;
constexpr const char* kProductToken = "Halvane";  // our name in robots.txt groups

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

TNetworkSettings Normalised(TNetworkSettings s) {
  s.Parallel = std::clamp(s.Parallel, 1, 16);
  s.PerHost = std::clamp(s.PerHost, 1, s.Parallel);
  s.HostDelayMs = std::max(s.HostDelayMs, 0);
  s.TimeoutSeconds = std::max(s.TimeoutSeconds, 1);
  s.MaxRedirects = std::max(s.MaxRedirects, 0);
  if (s.MaxBodyBytes <= 0) s.MaxBodyBytes = TNetworkSettings{}.MaxBodyBytes;
  return s;
}

TLiveResponse Failure(TLiveError error, std::string message) {
  TLiveResponse r;
  r.Error = error;
  r.Message = std::move(message);
  return r;
}

// The requests waiting for one scheme+host+port and how busy it is.
struct THost {
  std::deque<TTransfer*> Queue;  // by id, so by submission
  int Running = 0;
  bool Started = false;
  TClock::time_point LastStart;
};

}  // namespace

class TLiveClient::TWorker {
 public:
  explicit TWorker(TNetworkSettings settings);
  ~TWorker();

  TRequestId Submit(TLiveRequest request, TCompletion done);
  void Abort(TRequestId id) { Post({TCommand::TKind::Abort, id, {}, {}}); }
  void AbortAll() { Post({TCommand::TKind::AbortAll, 0, {}, {}}); }
  const TNetworkSettings& Settings() const noexcept { return FSettings; }

 private:
  struct TCommand {
    enum class TKind { Submit, Abort, AbortAll } Kind;
    TRequestId Id = 0;
    TLiveRequest Request;
    TCompletion Done;
  };

  void Post(TCommand command);
  void Run();
  bool TakeCommands();
  void Accept(TRequestId id, TLiveRequest request, TCompletion done);
  void Enqueue(TTransfer& t);
  void AwaitRobots(TTransfer& t);
  void Admit(TTransfer& t);
  void RobotsArrived(const std::string& origin, TLiveResponse answer);
  void WakeRetries(TClock::time_point now);
  void StartReady(TClock::time_point now);
  void StartOne(TTransfer& t, THost& host, TClock::time_point now);
  bool CollectFinished();
  void Finished(TTransfer& t, CURLcode result);
  void Complete(TRequestId id, TLiveResponse response);
  void AbortOne(TRequestId id);
  void AbortEverything();
  long WaitMs(TClock::time_point now) const;
  TClock::duration HostDelay() const { return std::chrono::milliseconds(FSettings.HostDelayMs); }

  const TNetworkSettings FSettings;
  CURLM* FMulti = nullptr;

  std::mutex FMutex;  // guards the three below
  std::vector<TCommand> FCommands;
  bool FStop = false;
  TRequestId FNextId = 1;

  // Owned by the worker thread.
  std::unordered_map<TRequestId, std::unique_ptr<TTransfer>> FTransfers;
  std::map<std::string, THost> FHosts;                 // by origin
  std::multimap<TClock::time_point, TRequestId> FRetries;
  int FRunning = 0;
  std::size_t FNextProxy = 0;
  TRobotsCache FRobots{kProductToken};
  std::map<std::string, std::vector<TRequestId>> FRobotsWaiters;  // page requests by origin

  std::thread FThread;  // last: starts when everything above exists
};

TLiveClient::TWorker::TWorker(TNetworkSettings settings) : FSettings(Normalised(std::move(settings))) {
  InitCurlOnce();
  FMulti = curl_multi_init();
  FThread = std::thread([this] { Run(); });
}

TLiveClient::TWorker::~TWorker() {
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  curl_multi_wakeup(FMulti);
  FThread.join();
  for (auto& [id, t] : FTransfers) {
    if (t->Handle()) curl_multi_remove_handle(FMulti, t->Handle());
  }
  FTransfers.clear();
  curl_multi_cleanup(FMulti);
}

TRequestId TLiveClient::TWorker::Submit(TLiveRequest request, TCompletion done) {
  TRequestId id = 0;
  {
    std::lock_guard lock(FMutex);
    id = FNextId++;
    FCommands.push_back({TCommand::TKind::Submit, id, std::move(request), std::move(done)});
  }
  curl_multi_wakeup(FMulti);
  return id;
}

void TLiveClient::TWorker::Post(TCommand command) {
  {
    std::lock_guard lock(FMutex);
    FCommands.push_back(std::move(command));
  }
  curl_multi_wakeup(FMulti);
}

void TLiveClient::TWorker::Run() {
  if (!FMulti) return;
  for (;;) {
    if (!TakeCommands()) return;
    const auto now = TClock::now();
    WakeRetries(now);
    StartReady(now);
    int stillRunning = 0;
    curl_multi_perform(FMulti, &stillRunning);
    if (CollectFinished()) continue;  // slots came free: schedule before waiting
    curl_multi_poll(FMulti, nullptr, 0, static_cast<int>(WaitMs(TClock::now())), nullptr);
  }
}

// False when the client is going away.
bool TLiveClient::TWorker::TakeCommands() {
  std::vector<TCommand> commands;
  {
    std::lock_guard lock(FMutex);
    if (FStop) return false;
    commands.swap(FCommands);
  }
  for (TCommand& c : commands) {
    switch (c.Kind) {
      case TCommand::TKind::Submit: Accept(c.Id, std::move(c.Request), std::move(c.Done)); break;
      case TCommand::TKind::Abort: AbortOne(c.Id); break;
      case TCommand::TKind::AbortAll: AbortEverything(); break;
    }
  }
  return true;
}

void TLiveClient::TWorker::Accept(TRequestId id, TLiveRequest request, TCompletion done) {
  if (request.Method != "GET" && request.Method != "POST") {
    if (done) done(Failure(TLiveError::Other, "method " + request.Method + " is not supported"));
    return;
  }
  auto url = SplitUrl(request.Url);
  if (!url) {
    if (done) done(Failure(TLiveError::Other, "bad address " + request.Url + " (http or https only)"));
    return;
  }
  auto transfer = std::make_unique<TTransfer>(id, std::move(request), std::move(done), std::move(*url));
  TTransfer& t = *transfer;
  FTransfers.emplace(id, std::move(transfer));
  if (t.Request().Kind == TRequestKind::Page && FSettings.ObeyRobots) {
    AwaitRobots(t);
  } else {
    Enqueue(t);
  }
}

// A page request goes ahead once its origin's robots.txt is known; the
// first page of an origin has it fetched, as an API request of our own.
void TLiveClient::TWorker::AwaitRobots(TTransfer& t) {
  const std::string origin = t.Url().Origin();
  const auto state = FRobots.State(origin, TClock::now());
  if (state == TRobotsCache::TState::Known) return Admit(t);
  auto robotsUrl = SplitUrl(origin + "/robots.txt");
  if (!robotsUrl) {  // an origin libcurl will not read back (an IPv6 zone, say)
    return Complete(t.Id(), Failure(TLiveError::RobotsUnavailable,
                                    "robots.txt of " + t.Url().Host + " could not be read: no address for it"));
  }
  t.State = TTransfer::TState::Robots;
  FRobotsWaiters[origin].push_back(t.Id());
  if (state == TRobotsCache::TState::Fetching) return;

  FRobots.MarkFetching(origin);
  TRequestId id = 0;
  {
    std::lock_guard lock(FMutex);
    id = FNextId++;
  }
  TLiveRequest request;
  request.Url = origin + "/robots.txt";
  auto fetch = std::make_unique<TTransfer>(id, std::move(request),
                                           [this, origin](TLiveResponse r) { RobotsArrived(origin, std::move(r)); },
                                           std::move(*robotsUrl));
  fetch->RobotsFetch = true;
  TTransfer& f = *fetch;
  FTransfers.emplace(id, std::move(fetch));
  Enqueue(f);
}

void TLiveClient::TWorker::Admit(TTransfer& t) {
  if (auto refusal = FRobots.Refusal(t.Url().Origin(), t.Url().Host, t.Url().PathAndQuery)) {
    refusal->FinalUrl = t.Request().Url;
    return Complete(t.Id(), std::move(*refusal));
  }
  Enqueue(t);
}

void TLiveClient::TWorker::RobotsArrived(const std::string& origin, TLiveResponse answer) {
  std::vector<TRequestId> waiters;
  if (auto it = FRobotsWaiters.find(origin); it != FRobotsWaiters.end()) {
    waiters = std::move(it->second);
    FRobotsWaiters.erase(it);
  }
  if (answer.Error == TLiveError::Aborted) {
    FRobots.Forget(origin);  // not an answer: whoever still waits asks again
  } else {
    FRobots.Store(origin, answer, TClock::now());
  }
  for (const TRequestId id : waiters) {
    const auto it = FTransfers.find(id);
    if (it == FTransfers.end() || it->second->State != TTransfer::TState::Robots) continue;
    if (answer.Error == TLiveError::Aborted) {
      AwaitRobots(*it->second);
    } else {
      Admit(*it->second);
    }
  }
}

void TLiveClient::TWorker::Enqueue(TTransfer& t) {
  THost& host = FHosts[t.Url().Origin()];
  auto at = host.Queue.end();
  while (at != host.Queue.begin() && (*std::prev(at))->Id() > t.Id()) --at;  // a retry goes back to its place
  host.Queue.insert(at, &t);
  t.State = TTransfer::TState::Queued;
}

void TLiveClient::TWorker::WakeRetries(TClock::time_point now) {
  while (!FRetries.empty() && FRetries.begin()->first <= now) {
    const TRequestId id = FRetries.begin()->second;
    FRetries.erase(FRetries.begin());
    if (auto it = FTransfers.find(id); it != FTransfers.end()) Enqueue(*it->second);
  }
}

// Starts the oldest waiting requests whose host has room and whose host
// delay has passed, until the total limit is reached.
void TLiveClient::TWorker::StartReady(TClock::time_point now) {
  while (FRunning < FSettings.Parallel) {
    THost* best = nullptr;
    for (auto& [origin, host] : FHosts) {
      if (host.Queue.empty() || host.Running >= FSettings.PerHost) continue;
      if (host.Started && now < host.LastStart + HostDelay()) continue;
      if (!best || host.Queue.front()->Id() < best->Queue.front()->Id()) best = &host;
    }
    if (!best) return;
    TTransfer* t = best->Queue.front();
    best->Queue.pop_front();
    StartOne(*t, *best, now);
  }
}

void TLiveClient::TWorker::StartOne(TTransfer& t, THost& host, TClock::time_point now) {
  std::string proxy;
  if (!FSettings.Proxies.empty()) proxy = FSettings.Proxies[FNextProxy++ % FSettings.Proxies.size()];
  CURL* handle = t.Begin(FSettings, proxy);
  if (!handle || curl_multi_add_handle(FMulti, handle) != CURLM_OK) {
    t.End(CURLE_FAILED_INIT, FSettings);
    return Complete(t.Id(), Failure(TLiveError::Other, "could not start the transfer to " + t.Url().Host));
  }
  t.State = TTransfer::TState::Running;
  ++host.Running;
  ++FRunning;
  host.Started = true;
  host.LastStart = now;
}

bool TLiveClient::TWorker::CollectFinished() {
  bool any = false;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(FMulti, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    void* self = nullptr;
    curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &self);
    const CURLcode result = message->data.result;
    Finished(*static_cast<TTransfer*>(self), result);  // invalidates message
    any = true;
  }
  return any;
}

void TLiveClient::TWorker::Finished(TTransfer& t, CURLcode result) {
  curl_multi_remove_handle(FMulti, t.Handle());
  TLiveResponse r = t.End(result, FSettings);
  THost& host = FHosts[t.Url().Origin()];
  --host.Running;
  --FRunning;
  if (r.Answered() && (r.Status == 429 || r.Status == 503)) {
    const auto after = RetryAfterSeconds(r.Header("Retry-After"), std::time(nullptr));
    if (t.Attempts() <= kRetries && (!after || *after <= kLongestRetryAfter)) {
      // Waits without a transfer slot; without a Retry-After 1 s, then 2 s.
      const auto wait = after ? std::chrono::seconds(*after) : std::chrono::seconds(t.Attempts());
      t.State = TTransfer::TState::Waiting;
      t.NotBefore = TClock::now() + wait;
      FRetries.emplace(t.NotBefore, t.Id());
      return;
    }
    r.Message = "HTTP " + std::to_string(r.Status) + (after ? ", retry after " + std::to_string(*after) + " s" : "");
  }
  Complete(t.Id(), std::move(r));
}

void TLiveClient::TWorker::Complete(TRequestId id, TLiveResponse response) {
  const auto it = FTransfers.find(id);
  if (it == FTransfers.end()) return;
  std::unique_ptr<TTransfer> transfer = std::move(it->second);
  FTransfers.erase(it);
  if (TCompletion done = transfer->TakeCompletion()) done(std::move(response));
}

void TLiveClient::TWorker::AbortOne(TRequestId id) {
  const auto it = FTransfers.find(id);
  if (it == FTransfers.end()) return;
  TTransfer& t = *it->second;
  switch (t.State) {
    case TTransfer::TState::Running: {
      curl_multi_remove_handle(FMulti, t.Handle());
      t.End(CURLE_ABORTED_BY_CALLBACK, FSettings);
      THost& host = FHosts[t.Url().Origin()];
      --host.Running;
      --FRunning;
      break;
    }
    case TTransfer::TState::Queued: {
      auto& queue = FHosts[t.Url().Origin()].Queue;
      queue.erase(std::remove(queue.begin(), queue.end(), &t), queue.end());
      break;
    }
    case TTransfer::TState::Waiting: {
      for (auto r = FRetries.begin(); r != FRetries.end(); ++r) {
        if (r->second == id) {
          FRetries.erase(r);
          break;
        }
      }
      break;
    }
    case TTransfer::TState::Robots: {
      auto& waiting = FRobotsWaiters[t.Url().Origin()];
      waiting.erase(std::remove(waiting.begin(), waiting.end(), id), waiting.end());
      break;
    }
    case TTransfer::TState::New:
      break;
  }
  Complete(id, Failure(TLiveError::Aborted, "aborted"));
}

void TLiveClient::TWorker::AbortEverything() {
  // The callers' requests first: a robots.txt fetch aborted while pages
  // still wait for it would be started again.
  std::vector<TRequestId> ids, fetches;
  for (const auto& [id, t] : FTransfers) (t->RobotsFetch ? fetches : ids).push_back(id);
  std::sort(ids.begin(), ids.end());
  for (const TRequestId id : ids) AbortOne(id);
  for (const TRequestId id : fetches) AbortOne(id);
}

long TLiveClient::TWorker::WaitMs(TClock::time_point now) const {
  long wait = kLongestPollMs;
  long curlWait = -1;
  if (curl_multi_timeout(FMulti, &curlWait) == CURLM_OK && curlWait >= 0) wait = std::min(wait, curlWait);
  const auto until = [&](TClock::time_point when) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count();
    return std::max<long>(0, static_cast<long>(ms) + 1);
  };
  if (FRunning < FSettings.Parallel) {
    for (const auto& [origin, host] : FHosts) {
      if (!host.Queue.empty() && host.Running < FSettings.PerHost && host.Started) {
        wait = std::min(wait, until(host.LastStart + HostDelay()));
      }
    }
  }
  if (!FRetries.empty()) wait = std::min(wait, until(FRetries.begin()->first));
  return wait;
}

TLiveClient::TLiveClient(TNetworkSettings settings) : FWorker(std::make_unique<TWorker>(std::move(settings))) {}
TLiveClient::~TLiveClient() = default;

TRequestId TLiveClient::Submit(TLiveRequest request, TCompletion done) {
  return FWorker->Submit(std::move(request), std::move(done));
}
void TLiveClient::Abort(TRequestId id) { FWorker->Abort(id); }
void TLiveClient::AbortAll() { FWorker->AbortAll(); }
const TNetworkSettings& TLiveClient::Settings() const noexcept { return FWorker->Settings(); }

}  // namespace halvane::live
