#include "live/TLiveWorker.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <mutex>
#include <vector>

#include "live/LiveFailure.h"
#include "live/PrivateAddress.h"
#include "live/RetryAfter.h"
#include "live/TTransfer.h"
#include "live/UrlForm.h"
#include "live/UrlParts.h"

namespace halvane::live {

namespace {

constexpr long kLongestPollMs = 1000;
constexpr const char* kProductToken = "Halvane";  // our name in robots.txt groups

CURLM* StartEngine() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return curl_multi_init();
}

}  // namespace

TLiveWorker::TLiveWorker(TNetworkSettings settings)
    : FOptions(std::move(settings)),
      FSettings(FOptions.Settings()),
      FMulti(StartEngine()),
      FCommands([this] {
        if (FMulti) curl_multi_wakeup(FMulti);
      }),
      FQueues(FSettings.Parallel, FSettings.PerHost, std::chrono::milliseconds(FSettings.HostDelayMs)),
      FRobots(kProductToken),
      FRedirects(FSettings.MaxRedirects) {
  if (!FMulti) FBroken = "libcurl could not start its transfer engine (out of memory?)";
  FThread = std::thread([this] { Run(); });
}

TLiveWorker::~TLiveWorker() {
  FCommands.Stop();
  FThread.join();
  for (auto& [id, t] : FTransfers) {
    if (t->Handle()) curl_multi_remove_handle(FMulti, t->Handle());
  }
  FTransfers.clear();
  if (FMulti) curl_multi_cleanup(FMulti);
}

void TLiveWorker::Run() {
  for (;;) {
    // Without a working multi handle every request ends as it comes in.
    if (!FBroken.empty() && !FCommands.Await()) return;
    if (!TakeCommands()) return;
    if (!FBroken.empty()) continue;
    const auto now = TClock::now();
    WakeRetries(now);
    StartReady(now);
    int stillRunning = 0;
    CURLMcode code = curl_multi_perform(FMulti, &stillRunning);
    if (code == CURLM_OK && CollectFinished()) continue;  // slots came free: schedule before waiting
    if (code == CURLM_OK) {
      long wait = kLongestPollMs;
      long curlWait = -1;
      if (curl_multi_timeout(FMulti, &curlWait) == CURLM_OK && curlWait >= 0) wait = std::min(wait, curlWait);
      wait = FQueues.WaitMs(TClock::now(), wait);
      code = curl_multi_poll(FMulti, nullptr, 0, static_cast<int>(wait), nullptr);
    }
    if (code != CURLM_OK) FailEverything(std::string("libcurl's transfer engine failed: ") + curl_multi_strerror(code));
  }
}

// False when the client is going away.
bool TLiveWorker::TakeCommands() {
  auto commands = FCommands.Take();
  if (!commands) return false;
  using TKind = TCommandQueue::TCommand::TKind;
  for (TCommandQueue::TCommand& c : *commands) {
    switch (c.Kind) {
      case TKind::Submit: Accept(c.Id, std::move(c.Request), std::move(c.Done)); break;
      case TKind::Abort: AbortOne(c.Id); break;
      case TKind::AbortAll: AbortEverything(); break;
      case TKind::AbortGroup: AbortEverything(&c.Request.Group); break;
      case TKind::Run: c.Task(); break;
    }
  }
  return true;
}

void TLiveWorker::Accept(TRequestId id, TLiveRequest request, TCompletion done) {
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
    if (done) done(Failure(TLiveError::Other, "bad address " + ShownAddress(request.Url) + " (http or https only)"));
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
void TLiveWorker::Route(TTransfer& t) {
  if (t.GuardPrivate && IsPrivateLiteral(t.Url().Host).value_or(false)) {
    return Complete(t.Id(), Failure(t, TLiveError::PrivateAddress, PrivateAddressMessage(t.Url().Host, t.Url().Host)));
  }
  if (t.Request().Kind == TRequestKind::Page && FSettings.ObeyRobots) return AwaitRobots(t);
  Enqueue(t);
}

// A page request goes ahead once its origin's robots.txt is known; the
// first page of an origin has it fetched, as an API request of our own.
void TLiveWorker::AwaitRobots(TTransfer& t) {
  const std::string origin = t.Url().Origin();
  TRobotsGate::THold hold = FRobots.Hold(origin, t.Id(), TClock::now());
  using TStep = TRobotsGate::THold::TStep;
  switch (hold.Step) {
    case TStep::Admit: return Admit(t);
    case TStep::Unreadable:
      return Complete(t.Id(), Failure(TLiveError::RobotsUnavailable,
                                      "robots.txt of " + t.Url().Host + " could not be read: no address for it"));
    case TStep::Held: t.State = TTransfer::TState::Robots; return;
    case TStep::Fetch: break;
  }
  t.State = TTransfer::TState::Robots;
  const TRequestId id = FCommands.NewId();
  TLiveRequest request;
  request.Url = hold.Address;
  auto fetch = std::make_unique<TTransfer>(
      id, std::move(request), [this, origin](TLiveResponse r) { RobotsArrived(origin, r); }, std::move(hold.Address),
      std::move(hold.Url));
  fetch->RobotsFetch = true;
  fetch->GuardPrivate = t.GuardPrivate;
  TTransfer& f = *fetch;
  FTransfers.emplace(id, std::move(fetch));
  Enqueue(f);
}

void TLiveWorker::Admit(TTransfer& t) {
  if (auto refusal = FRobots.Refusal(t.Url().Origin(), t.Url().Host, t.Url().PathAndQuery)) {
    refusal->FinalUrl = t.Address();
    refusal->Hops = t.Hops();
    return Complete(t.Id(), std::move(*refusal));
  }
  Enqueue(t);
}

void TLiveWorker::RobotsArrived(const std::string& origin, const TLiveResponse& answer) {
  const TRobotsGate::TReleased released = FRobots.Arrived(origin, answer, TClock::now());
  for (const TRequestId id : released.Pages) {
    const auto it = FTransfers.find(id);
    if (it == FTransfers.end() || it->second->State != TTransfer::TState::Robots) continue;
    if (released.Known) {
      Admit(*it->second);
    } else {
      AwaitRobots(*it->second);
    }
  }
}

void TLiveWorker::Enqueue(TTransfer& t) {
  FQueues.Enqueue(t.Url().Host, t.Id());
  t.State = TTransfer::TState::Queued;
}

void TLiveWorker::WakeRetries(TClock::time_point now) {
  for (const TRequestId id : FQueues.Due(now)) {
    if (auto it = FTransfers.find(id); it != FTransfers.end()) Enqueue(*it->second);
  }
}

// Starts the oldest waiting requests the limits allow.
void TLiveWorker::StartReady(TClock::time_point now) {
  while (const auto ready = FQueues.TakeReady(now)) {
    if (auto it = FTransfers.find(ready->Id); it != FTransfers.end()) StartOne(*it->second, now);
  }
}

void TLiveWorker::StartOne(TTransfer& t, TClock::time_point now) {
  const std::string proxy = FOptions.NextProxy();
  if (!FOptions.CaError().empty() && t.Url().Scheme == "https") {
    return Complete(t.Id(), Failure(t, TLiveError::Tls, FOptions.CaError()));
  }
  CURL* handle = t.Begin(FSettings, proxy, FOptions.CaBytes());
  if (!handle || curl_multi_add_handle(FMulti, handle) != CURLM_OK) {
    t.End(CURLE_FAILED_INIT, FSettings);
    return Complete(t.Id(), Failure(TLiveError::Other, "could not start the transfer to " + t.Url().Host));
  }
  t.State = TTransfer::TState::Running;
  FQueues.Started(t.Url().Host, now);
}

bool TLiveWorker::CollectFinished() {
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

void TLiveWorker::Finished(TTransfer& t, CURLcode result) {
  curl_multi_remove_handle(FMulti, t.Handle());
  TLiveResponse r = t.End(result, FSettings);
  FQueues.Ended(t.Url().Host);
  if (r.Answered() && (r.Status == 429 || r.Status == 503)) {
    const auto& rule = t.Request().RetryWait;
    if (const auto wait = rule ? rule(r, t.Attempts()) : RetryWaitSeconds(r, t.Attempts())) {
      // Waits without a transfer slot.
      t.State = TTransfer::TState::Waiting;
      t.NotBefore = TClock::now() + std::chrono::seconds(std::max(*wait, 0L));
      FQueues.RetryAt(t.Id(), t.NotBefore);
      return;
    }
    const auto after = RetryAfterSeconds(r.Header("Retry-After"), std::time(nullptr));
    r.Message = "HTTP " + std::to_string(r.Status) + (after ? ", retry after " + std::to_string(*after) + " s" : "");
  }
  if (r.Answered() && TRedirectStep::IsRedirect(r.Status) && !t.RobotsFetch) {
    if (const std::string location = r.Header("Location"); !location.empty()) {
      TRedirectStep::TNext next = FRedirects.Follow(t, location);
      if (next.Refusal) return Complete(t.Id(), std::move(*next.Refusal));
      t.MoveTo(r.Status, std::move(next.Address), std::move(next.Url));
      return Route(t);
    }
  }
  Complete(t.Id(), std::move(r));
}

void TLiveWorker::Complete(TRequestId id, TLiveResponse response) {
  const auto it = FTransfers.find(id);
  if (it == FTransfers.end()) return;
  std::unique_ptr<TTransfer> transfer = std::move(it->second);
  FTransfers.erase(it);
  if (TCompletion done = transfer->TakeCompletion()) done(std::move(response));
}

void TLiveWorker::AbortOne(TRequestId id, TLiveError error, const std::string& message) {
  const auto it = FTransfers.find(id);
  if (it == FTransfers.end()) return;
  TTransfer& t = *it->second;
  switch (t.State) {
    case TTransfer::TState::Running:
      curl_multi_remove_handle(FMulti, t.Handle());
      t.End(CURLE_ABORTED_BY_CALLBACK, FSettings);
      FQueues.Ended(t.Url().Host);
      break;
    case TTransfer::TState::Queued: FQueues.Remove(t.Url().Host, id); break;
    case TTransfer::TState::Waiting: FQueues.CancelRetry(id); break;
    case TTransfer::TState::Robots: FRobots.Drop(t.Url().Origin(), id); break;
    case TTransfer::TState::New: break;
  }
  Complete(id, error == TLiveError::Aborted ? Failure(error, message) : Failure(t, error, message));
}

// Every request, or those of one group. The robots.txt fetches of the
// client itself belong to no group: they end only with everything.
void TLiveWorker::AbortEverything(const std::string* group, TLiveError error, const std::string& message) {
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
void TLiveWorker::FailEverything(std::string why) {
  FBroken = std::move(why);
  AbortEverything(nullptr, TLiveError::NoNetwork, FBroken + "; nothing can be fetched");
}

}  // namespace halvane::live
