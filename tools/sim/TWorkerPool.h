#pragma once
// The listeners' task queue: a thread per connection being served, made
// when needed up to a cap. A fixed pool lets a few slow clients (each holds
// a thread while it trickles its request) keep every other client waiting.
#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace halvane::sim {

class TWorkerPool : public httplib::TaskQueue {
 public:
  explicit TWorkerPool(std::size_t maxThreads);
  ~TWorkerPool() override;
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  void enqueue(std::function<void()> job) override;
  // Runs the jobs still queued, then joins every thread.
  void shutdown() override;

 private:
  void Work();

  const std::size_t FMaxThreads;
  std::mutex FMutex;
  std::condition_variable FWake;
  std::deque<std::function<void()>> FJobs;
  std::vector<std::thread> FThreads;
  std::size_t FWaiting = 0;
  bool FStopping = false;
};

}  // namespace halvane::sim
