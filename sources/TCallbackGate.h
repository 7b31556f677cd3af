#pragma once
// Lets an object that hands work to the live client's worker thread close
// the door on handlers still to come: after Close returns no handler runs,
// and a handler running on another thread at that moment has finished.
//
// Handlers run one at a time, whichever thread calls Run (the users promise
// their callers one handler call at a time); a thread already inside a
// handler may Run again. No lock is held while a handler runs: the mutex
// only guards the state below, so Closed() answers at once and a handler
// may call Close, Closed and Run.
//
// Threads: Run, Close and Closed may be called from any thread, handlers
// included. Close called from within a handler does not wait for itself.
// Run waits while a handler runs on another thread, and returns without
// running body once the gate is closed.
#include <condition_variable>
#include <mutex>
#include <thread>

namespace halvane::sources {

class TCallbackGate {
 public:
  template <typename F>
  void Run(F&& body) {
    if (!Enter()) return;
    struct TLeave {
      TCallbackGate& Gate;
      ~TLeave() { Gate.Leave(); }
    } leave{*this};
    body();
  }

  void Close() {
    std::unique_lock lock(FMutex);
    FClosed = true;
    FChanged.notify_all();  // those waiting to run give up
    FChanged.wait(lock, [this] { return FDepth == 0 || FRunner == std::this_thread::get_id(); });
  }

  bool Closed() {
    const std::lock_guard lock(FMutex);
    return FClosed;
  }

 private:
  // False when the gate closed before this thread's turn came.
  bool Enter() {
    std::unique_lock lock(FMutex);
    const auto self = std::this_thread::get_id();
    FChanged.wait(lock, [&] { return FClosed || FDepth == 0 || FRunner == self; });
    if (FClosed) return false;
    FRunner = self;
    ++FDepth;
    return true;
  }

  void Leave() {
    {
      const std::lock_guard lock(FMutex);
      if (--FDepth == 0) FRunner = {};
    }
    FChanged.notify_all();
  }

  std::mutex FMutex;  // guards the three below; never held while a handler runs
  std::condition_variable FChanged;  // the gate closed, or the running handler ended
  bool FClosed = false;
  std::thread::id FRunner;  // the thread whose handler runs
  int FDepth = 0;  // handlers running on FRunner, nested ones included
};

}  // namespace halvane::sources
