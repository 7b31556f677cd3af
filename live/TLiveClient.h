#pragma once
// Many concurrent HTTP(S) transfers on libcurl's multi interface, run by a
// worker thread of the client's own. Limits: total and per-host parallelism,
// a delay between two requests to one host, timeouts, body cap, redirects;
// 429 and 503 are retried; robots.txt is obeyed for page requests.
// Addresses are taken in their one form (live/UrlForm.h). The per-host
// limits go by host name, robots.txt by scheme+host+port. Redirects are
// followed hop by hop by the client itself, each hop in its host's queue
// after its robots.txt; a request that carries a key never leaves its
// origin. Page fetches to private addresses are refused after name
// resolution unless the settings allow them. If libcurl's multi handle
// fails, every request ends with TLiveError::NoNetwork.
// TLS is always verified: against the system store, and against
// Settings().CaFile besides (libcurl's CA file, with the system folder kept
// as its CA path).
//
// Threads: Submit, Abort and AbortAll may be called from any thread,
// completion handlers included. Every completion handler runs on the
// client's worker thread, one at a time; each submitted request completes
// exactly once (Aborted after Abort/AbortAll), except those still pending
// when the client is destroyed, whose handlers are not called. A handler must
// not destroy the client (the destructor joins the worker thread) and must
// not throw. The work itself is TLiveWorker's (live/TLiveWorker.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "live/TLiveRequest.h"
#include "live/TLiveResponse.h"
#include "live/TNetworkSettings.h"

namespace halvane::live {

using TRequestId = std::uint64_t;
using TCompletion = std::function<void(TLiveResponse)>;

class TLiveWorker;

class TLiveClient {
 public:
  explicit TLiveClient(TNetworkSettings settings);
  ~TLiveClient();
  TLiveClient(const TLiveClient&) = delete;
  TLiveClient& operator=(const TLiveClient&) = delete;

  TRequestId Submit(TLiveRequest request, TCompletion done);
  // Ends the request within 50 ms; its handler gets TLiveError::Aborted.
  void Abort(TRequestId id);
  void AbortAll();
  // Ends every request whose Group is group, as Abort does.
  void AbortGroup(std::string group);
  // Runs task on the client's worker thread, in order with the requests
  // and aborts asked before it, so state that only tasks and handlers
  // touch needs no lock. Dropped when the client goes first.
  void Post(std::function<void()> task);

  // As given, with out-of-range limits brought into range (Parallel 1..16).
  const TNetworkSettings& Settings() const noexcept;

 private:
  std::unique_ptr<TLiveWorker> FWorker;
};

}  // namespace halvane::live
