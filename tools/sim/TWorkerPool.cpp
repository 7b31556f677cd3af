#include "TWorkerPool.h"

namespace halvane::sim {

TWorkerPool::TWorkerPool(std::size_t maxThreads) : FMaxThreads(maxThreads > 0 ? maxThreads : 1) {}

TWorkerPool::~TWorkerPool() { shutdown(); }

void TWorkerPool::enqueue(std::function<void()> job) {
  std::unique_lock lock(FMutex);
  if (FStopping) {
    // No thread would be joined for it; the job closes its connection.
    lock.unlock();
    job();
    return;
  }
  FJobs.push_back(std::move(job));
  // Waiting threads count until they wake, so a burst gets a thread per job.
  if (FJobs.size() > FWaiting && FThreads.size() < FMaxThreads) {
    FThreads.emplace_back([this] { Work(); });
  } else {
    FWake.notify_one();
  }
}

void TWorkerPool::shutdown() {
  std::vector<std::thread> threads;
  {
    const std::lock_guard lock(FMutex);
    FStopping = true;
    threads.swap(FThreads);
  }
  FWake.notify_all();
  for (std::thread& t : threads) {
    if (t.joinable()) t.join();
  }
}

void TWorkerPool::Work() {
  std::unique_lock lock(FMutex);
  while (true) {
    while (FJobs.empty() && !FStopping) {
      ++FWaiting;
      FWake.wait(lock);
      --FWaiting;
    }
    if (FJobs.empty()) return;  // stopping, nothing left
    std::function<void()> job = std::move(FJobs.front());
    FJobs.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}

}  // namespace halvane::sim
