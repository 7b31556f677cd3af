#pragma once
// Lets an object that hands work to the live client's worker thread close
// the door on handlers still to come: after Close returns no handler runs,
// and a handler running on another thread at that moment has finished.
// Close may be called from within a handler (the lock is recursive).
#include <mutex>

namespace halvane::sources {

class TCallbackGate {
 public:
  template <typename F>
  void Run(F&& body) {
    const std::lock_guard lock(FMutex);
    if (!FClosed) body();
  }
  void Close() {
    const std::lock_guard lock(FMutex);
    FClosed = true;
  }
  bool Closed() {
    const std::lock_guard lock(FMutex);
    return FClosed;
  }

 private:
  std::recursive_mutex FMutex;
  bool FClosed = false;
};

}  // namespace halvane::sources
