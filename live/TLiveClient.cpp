#include "live/TLiveClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/AddressText.h"
#include "base/RegularFile.h"
#include "live/PrivateAddress.h"
#include "live/RetryAfter.h"
#include "live/TRobotsCache.h"
#include "live/TTransfer.h"
#include "live/UrlForm.h"
#include "live/UrlParts.h"

namespace halvane::live {

namespace {

using TClock = TTransfer::TClock;
using namespace std::chrono_literals;

constexpr long kLongestPollMs = 1000;
constexpr const char* kProductToken = "Halvane";  // our name in robots.txt groups
constexpr std::size_t kLongestShownAddress = 200;
constexpr std::uint64_t kLargestCaFile = 16 * 1024 * 1024;

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

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// An address from an answer, fit for a message: no user information, not
// longer than a line.
std::string Shown(std::string_view address) {
  std::string shown = WithoutUserInfo(address.substr(0, kLongestShownAddress));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return address.size() > kLongestShownAddress ? shown + "..." : shown;
}

// The requests waiting for one host name (whatever the scheme and port) and
// how busy it is.
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
  void AbortGroup(std::string group) {
    TCommand command{TCommand::TKind::AbortGroup, 0, {}, {}};
    command.Request.Group = std::move(group);
    Post(std::move(command));
  }
  const TNetworkSettings& Settings() const noexcept { return FSettings; }

 private:
  struct TCommand {
    enum class TKind { Submit, Abort, AbortAll, AbortGroup } Kind;
    TRequestId Id = 0;
    TLiveRequest Request;  // Submit; AbortGroup: its Group
    TCompletion Done;
  };

  void Post(TCommand command);
  void Run();
  bool TakeCommands();
  bool AwaitCommands();
  void Accept(TRequestId id, TLiveRequest request, TCompletion done);
  void Route(TTransfer& t);
  void Redirect(TTransfer& t, long status, const std::string& location);
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
  void AbortOne(TRequestId id, TLiveError error = TLiveError::Aborted, const std::string& message = "aborted");
  void AbortEverything(const std::string* group = nullptr, TLiveError error = TLiveError::Aborted,
                       const std::string& message = "aborted");
  void FailEverything(std::string why);
  TLiveResponse Failed(const TTransfer& t, TLiveError error, std::string message) const;
  long WaitMs(TClock::time_point now) const;
  TClock::duration HostDelay() const { return std::chrono::milliseconds(FSettings.HostDelayMs); }

  const TNetworkSettings FSettings;
  CURLM* FMulti = nullptr;

  std::mutex FMutex;  // guards the three below
  std::condition_variable FWake;  // commands came while the multi handle is out of use
  std::vector<TCommand> FCommands;
  bool FStop = false;
  TRequestId FNextId = 1;

  // Owned by the worker thread.
  std::unordered_map<TRequestId, std::unique_ptr<TTransfer>> FTransfers;
  std::map<std::string, THost> FHosts;                 // by host name
  std::multimap<TClock::time_point, TRequestId> FRetries;
  std::string FBroken;  // why the multi handle is out of use; "" while it works
  std::string FCaBytes;  // the CA file, read once
  std::string FCaError;  // why it could not be read; https requests end with it
  int FRunning = 0;
  std::size_t FNextProxy = 0;
  TRobotsCache FRobots{kProductToken};
  std::map<std::string, std::vector<TRequestId>> FRobotsWaiters;  // page requests by origin

  std::thread FThread;  // last: starts when everything above exists
};

TLiveClient::TWorker::TWorker(TNetworkSettings settings) : FSettings(Normalised(std::move(settings))) {
  InitCurlOnce();
  FMulti = curl_multi_init();
  if (!FMulti) FBroken = "libcurl could not start its transfer engine (out of memory?)";
  std::string error;
  if (!FSettings.CaFile.empty() && !ReadRegularFile(FSettings.CaFile, kLargestCaFile, FCaBytes, error)) {
    const std::string named = FSettings.CaFile + ": ";  // the file is named once
    if (error.rfind(named, 0) == 0) error.erase(0, named.size());
    FCaError = "CA file " + FSettings.CaFile + " could not be read: " + error;
  }
  FThread = std::thread([this] { Run(); });
}

TLiveClient::TWorker::~TWorker() {
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  FWake.notify_all();
  if (FMulti) curl_multi_wakeup(FMulti);
  FThread.join();
  for (auto& [id, t] : FTransfers) {
    if (t->Handle()) curl_multi_remove_handle(FMulti, t->Handle());
  }
  FTransfers.clear();
  if (FMulti) curl_multi_cleanup(FMulti);
}

TRequestId TLiveClient::TWorker::Submit(TLiveRequest request, TCompletion done) {
  TRequestId id = 0;
  {
    std::lock_guard lock(FMutex);
    id = FNextId++;
    FCommands.push_back({TCommand::TKind::Submit, id, std::move(request), std::move(done)});
  }
  FWake.notify_all();
  if (FMulti) curl_multi_wakeup(FMulti);
  return id;
}

void TLiveClient::TWorker::Post(TCommand command) {
  {
    std::lock_guard lock(FMutex);
    FCommands.push_back(std::move(command));
  }
  FWake.notify_all();
  if (FMulti) curl_multi_wakeup(FMulti);
}

void TLiveClient::TWorker::Run() {
  for (;;) {
    // Without a working multi handle every request ends as it comes in.
    if (!FBroken.empty() && !AwaitCommands()) return;
    if (!TakeCommands()) return;
    if (!FBroken.empty()) continue;
    const auto now = TClock::now();
    WakeRetries(now);
    StartReady(now);
    int stillRunning = 0;
    CURLMcode code = curl_multi_perform(FMulti, &stillRunning);
    if (code == CURLM_OK && CollectFinished()) continue;  // slots came free: schedule before waiting
    if (code == CURLM_OK) code = curl_multi_poll(FMulti, nullptr, 0, static_cast<int>(WaitMs(TClock::now())), nullptr);
    if (code != CURLM_OK) FailEverything(std::string("libcurl's transfer engine failed: ") + curl_multi_strerror(code));
  }
}

// False when the client is going away.
bool TLiveClient::TWorker::AwaitCommands() {
  std::unique_lock lock(FMutex);
  FWake.wait(lock, [this] { return FStop || !FCommands.empty(); });
  return !FStop;
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
      case TCommand::TKind::AbortGroup: AbortEverything(&c.Request.Group); break;
    }
  }
  return true;
}

void TLiveClient::TWorker::Accept(TRequestId id, TLiveRequest request, TCompletion done) {
  if (request.Method != "GET" && request.Method != "POST") {
    if (done) done(Failure(TLiveError::Other, "method " + request.Method + " is not supported"));
    return;
  }
  if (!FBroken.empty()) {
    if (done) done(Failure(TLiveError::NoNetwork, FBroken + "; nothing can be fetched"));
    return;
  }
  auto address = NormalAddress(request.Url);
  auto url = address ? SplitUrl(*address) : std::nullopt;
  if (!url) {
    if (done) done(Failure(TLiveError::Other, "bad address " + Shown(request.Url) + " (http or https only)"));
    return;
  }
  const bool page = request.Kind == TRequestKind::Page;
  auto transfer = std::make_unique<TTransfer>(id, std::move(request), std::move(done), std::move(*address), std::move(*url));
  TTransfer& t = *transfer;
  t.GuardPrivate = page && !FSettings.AllowPrivateAddresses;
  FTransfers.emplace(id, std::move(transfer));
  Route(t);
}

// The way of a request's (next) hop: refused at once when it names a
// private address, after its origin's robots.txt when it is a page, into its
// host's queue.
void TLiveClient::TWorker::Route(TTransfer& t) {
  if (t.GuardPrivate && IsPrivateLiteral(t.Url().Host).value_or(false)) {
    return Complete(t.Id(), Failed(t, TLiveError::PrivateAddress, PrivateAddressMessage(t.Url().Host, t.Url().Host)));
  }
  if (t.Request().Kind == TRequestKind::Page && FSettings.ObeyRobots) return AwaitRobots(t);
  Enqueue(t);
}

// Follows one hop: in the one form, within the hop limit, never off its
// origin when the request carries a key.
void TLiveClient::TWorker::Redirect(TTransfer& t, long status, const std::string& location) {
  if (static_cast<int>(t.Hops().size()) >= FSettings.MaxRedirects) {
    const auto first = SplitUrl(t.Hops().empty() ? t.Address() : t.Hops().front());
    return Complete(t.Id(), Failed(t, TLiveError::TooManyRedirects,
                                   "too many redirects (more than " + std::to_string(FSettings.MaxRedirects) +
                                       ") from " + (first ? first->Host : t.Url().Host)));
  }
  auto target = ResolveAddress(t.Address(), location);
  auto url = target ? SplitUrl(*target) : std::nullopt;
  if (!url) {
    return Complete(t.Id(), Failed(t, TLiveError::Other,
                                   t.Url().Host + " redirected to " + Shown(location) + ", an address that is not http or https"));
  }
  if (t.CarriesSecret() && url->Origin() != t.Url().Origin()) {
    return Complete(t.Id(), Failed(t, TLiveError::UnsafeRedirect,
                                   t.Url().Host + " redirected to " + Shown(*target) +
                                       ", another site; the request carries a key, so the redirect was not followed"));
  }
  t.MoveTo(status, std::move(*target), std::move(*url));
  Route(t);
}

TLiveResponse TLiveClient::TWorker::Failed(const TTransfer& t, TLiveError error, std::string message) const {
  TLiveResponse r = Failure(error, std::move(message));
  r.FinalUrl = t.Address();
  r.Hops = t.Hops();
  return r;
}

// A page request goes ahead once its origin's robots.txt is known; the
// first page of an origin has it fetched, as an API request of our own.
void TLiveClient::TWorker::AwaitRobots(TTransfer& t) {
  const std::string origin = t.Url().Origin();
  const auto state = FRobots.State(origin, TClock::now());
  if (state == TRobotsCache::TState::Known) return Admit(t);
  auto robotsAddress = NormalAddress(origin + "/robots.txt");
  auto robotsUrl = robotsAddress ? SplitUrl(*robotsAddress) : std::nullopt;
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
  request.Url = *robotsAddress;
  auto fetch = std::make_unique<TTransfer>(id, std::move(request),
                                           [this, origin](TLiveResponse r) { RobotsArrived(origin, std::move(r)); },
                                           std::move(*robotsAddress), std::move(*robotsUrl));
  fetch->RobotsFetch = true;
  fetch->GuardPrivate = t.GuardPrivate;
  TTransfer& f = *fetch;
  FTransfers.emplace(id, std::move(fetch));
  Enqueue(f);
}

void TLiveClient::TWorker::Admit(TTransfer& t) {
  if (auto refusal = FRobots.Refusal(t.Url().Origin(), t.Url().Host, t.Url().PathAndQuery)) {
    refusal->FinalUrl = t.Address();
    refusal->Hops = t.Hops();
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
  const bool noAnswer = answer.Error == TLiveError::Aborted || answer.Error == TLiveError::NoNetwork;
  if (noAnswer) {
    FRobots.Forget(origin);  // not an answer: whoever still waits asks again
  } else {
    FRobots.Store(origin, answer, TClock::now());
  }
  for (const TRequestId id : waiters) {
    const auto it = FTransfers.find(id);
    if (it == FTransfers.end() || it->second->State != TTransfer::TState::Robots) continue;
    if (noAnswer) {
      AwaitRobots(*it->second);
    } else {
      Admit(*it->second);
    }
  }
}

void TLiveClient::TWorker::Enqueue(TTransfer& t) {
  THost& host = FHosts[t.Url().Host];
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
  if (!FCaError.empty() && t.Url().Scheme == "https") {
    return Complete(t.Id(), Failed(t, TLiveError::Tls, FCaError));
  }
  CURL* handle = t.Begin(FSettings, proxy, FCaBytes);
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
  THost& host = FHosts[t.Url().Host];
  --host.Running;
  --FRunning;
  if (r.Answered() && (r.Status == 429 || r.Status == 503)) {
    const auto& rule = t.Request().RetryWait;
    if (const auto wait = rule ? rule(r, t.Attempts()) : RetryWaitSeconds(r, t.Attempts())) {
      // Waits without a transfer slot.
      t.State = TTransfer::TState::Waiting;
      t.NotBefore = TClock::now() + std::chrono::seconds(std::max(*wait, 0L));
      FRetries.emplace(t.NotBefore, t.Id());
      return;
    }
    const auto after = RetryAfterSeconds(r.Header("Retry-After"), std::time(nullptr));
    r.Message = "HTTP " + std::to_string(r.Status) + (after ? ", retry after " + std::to_string(*after) + " s" : "");
  }
  if (r.Answered() && IsRedirect(r.Status) && !t.RobotsFetch) {
    if (const std::string location = r.Header("Location"); !location.empty()) return Redirect(t, r.Status, location);
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

void TLiveClient::TWorker::AbortOne(TRequestId id, TLiveError error, const std::string& message) {
  const auto it = FTransfers.find(id);
  if (it == FTransfers.end()) return;
  TTransfer& t = *it->second;
  switch (t.State) {
    case TTransfer::TState::Running: {
      curl_multi_remove_handle(FMulti, t.Handle());
      t.End(CURLE_ABORTED_BY_CALLBACK, FSettings);
      THost& host = FHosts[t.Url().Host];
      --host.Running;
      --FRunning;
      break;
    }
    case TTransfer::TState::Queued: {
      auto& queue = FHosts[t.Url().Host].Queue;
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
  Complete(id, error == TLiveError::Aborted ? Failure(error, message) : Failed(t, error, message));
}

// Every request, or those of one group. The robots.txt fetches of the
// client itself belong to no group: they end only with everything.
void TLiveClient::TWorker::AbortEverything(const std::string* group, TLiveError error, const std::string& message) {
  // The callers' requests first: a robots.txt fetch aborted while pages
  // still wait for it would be started again.
  std::vector<TRequestId> ids, fetches;
  for (const auto& [id, t] : FTransfers) {
    if (group && (t->RobotsFetch || t->Request().Group != *group)) continue;
    (t->RobotsFetch ? fetches : ids).push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  for (const TRequestId id : ids) AbortOne(id, error, message);
  for (const TRequestId id : fetches) AbortOne(id, error, message);
}

// The multi handle failed: every request ends with why, and so does every
// later one.
void TLiveClient::TWorker::FailEverything(std::string why) {
  FBroken = std::move(why);
  AbortEverything(nullptr, TLiveError::NoNetwork, FBroken + "; nothing can be fetched");
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
void TLiveClient::AbortGroup(std::string group) { FWorker->AbortGroup(std::move(group)); }
const TNetworkSettings& TLiveClient::Settings() const noexcept { return FWorker->Settings(); }

}  // namespace halvane::live
