#include "livesetup/TStoreTasks.h"

#include <exception>

namespace halvane::livesetup {

TStoreTasks::TStoreTasks(TOpener opener) : FOpener(std::move(opener)), FWorker([this] { Work(); }) {}

TStoreTasks::~TStoreTasks() {
  {
    const std::lock_guard lock(FLock);
    FClosing = true;
  }
  FWake.notify_one();
  FWorker.join();
}

void TStoreTasks::Post(TTask task) {
  {
    const std::lock_guard lock(FLock);
    FTasks.push_back(std::move(task));
  }
  FWake.notify_one();
}

void TStoreTasks::Work() {
  std::unique_ptr<store::TStore> store;
  std::string error;
  bool opened = false;
  for (;;) {
    TTask task;
    {
      std::unique_lock lock(FLock);
      FWake.wait(lock, [this] { return FClosing || !FTasks.empty(); });
      if (FTasks.empty()) return;
      task = std::move(FTasks.front());
      FTasks.pop_front();
    }
    if (!opened) {
      opened = true;
      try {
        store = FOpener(error);
      } catch (const std::exception& failure) {
        error = failure.what();
      }
    }
    task(store.get(), error);
  }
}

}  // namespace halvane::livesetup
