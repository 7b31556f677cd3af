#pragma once
// The store's work for a program that must never wait for it (the window):
// one worker thread owns one connection and runs the tasks handed to it,
// one after another in the order they came. The store is opened on the
// worker, at the first task.
//
// Threads: any thread posts. Each task runs on the worker and hands on what
// it learnt itself (the window posts it to its own thread). No lock is held
// while a task runs.
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "base/TMailbox.h"
#include "store/TStore.h"

namespace halvane::livesetup {

class TStoreTasks {
 public:
  // Opens the store, or gives nothing and says why; nothing with no reason
  // means the store is off.
  using TOpener = std::function<std::unique_ptr<store::TStore>(std::string& error)>;
  // The store, or nullptr and the reason it could not be opened ("" when
  // the store is off). A task catches what the store throws.
  using TTask = std::function<void(store::TStore* store, const std::string& error)>;

  explicit TStoreTasks(TOpener opener);
  // Runs the tasks already posted (a blacklisted domain is not lost when
  // the window closes), then ends the worker.
  ~TStoreTasks();
  TStoreTasks(const TStoreTasks&) = delete;
  TStoreTasks& operator=(const TStoreTasks&) = delete;

  void Post(TTask task);

 private:
  void Work();
  void Run(const TTask& task);

  TOpener FOpener;
  TMailbox FMailbox;
  // The worker's own.
  bool FEnded = false;
  bool FOpened = false;
  std::unique_ptr<store::TStore> FStore;
  std::string FError;
  std::thread FWorker;  // last: starts once the rest is ready
};

}  // namespace halvane::livesetup
