#pragma once
// The commands other threads hand the live client's worker: submit a
// request, abort one, all, or a group, or run a task of the caller's. The worker takes them in the order
// they came; Wake (libcurl's multi wakeup) interrupts its poll, and a worker
// whose multi handle is out of use waits here instead.
//
// Threads: Submit, Abort, AbortAll, AbortGroup, Run and NewId from any thread;
// Take and Await on the worker thread; Stop from the thread that destroys
// the client.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "live/TLiveClient.h"

namespace halvane::live {

class TCommandQueue {
 public:
  struct TCommand {
    enum class TKind { Submit, Abort, AbortAll, AbortGroup, Run } Kind;
    TRequestId Id = 0;
    TLiveRequest Request;  // Submit; AbortGroup: its Group
    TCompletion Done;
    std::function<void()> Task = {};  // Run
  };

  // wake interrupts the worker's poll; called after each command, without the lock.
  explicit TCommandQueue(std::function<void()> wake) : FWake(std::move(wake)) {}

  // The new request's id.
  TRequestId Submit(TLiveRequest request, TCompletion done);
  void Abort(TRequestId id) { Post({TCommand::TKind::Abort, id, {}, {}}); }
  void AbortAll() { Post({TCommand::TKind::AbortAll, 0, {}, {}}); }
  void AbortGroup(std::string group);
  void Run(std::function<void()> task) { Post({TCommand::TKind::Run, 0, {}, {}, std::move(task)}); }
  // An id for a request of the worker's own.
  TRequestId NewId();

  // The commands that came since the last call; nothing once stopped.
  std::optional<std::vector<TCommand>> Take();
  // Waits until a command comes; false once stopped.
  bool Await();
  void Stop();

 private:
  void Post(TCommand command);
  void Notify();

  const std::function<void()> FWake;
  std::mutex FMutex;  // guards the three below
  std::condition_variable FCame;  // a command came, or Stop
  std::vector<TCommand> FCommands;
  bool FStop = false;
  TRequestId FNextId = 1;
};

}  // namespace halvane::live
