// The gate between the live client's worker thread and the objects that
// hand it work: what Close promises, and that no lock is held around a
// handler. Threads are put in order with promises; the only bounded waits
// are safety limits that turn a deadlock into a failure.
#include "sources/TCallbackGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <memory>
#include <thread>

namespace halvane::sources {
namespace {

// A safety limit, not a measurement: long enough for any busy machine.
constexpr auto kDeadlock = std::chrono::seconds(30);

template <typename T>
bool Arrives(std::future<T>& f) {
  return f.wait_for(kDeadlock) == std::future_status::ready;
}

// Waits for the gate to be closed by another thread (Close sets the flag
// before it waits for running handlers).
void AwaitClosed(TCallbackGate& gate) {
  while (!gate.Closed()) std::this_thread::yield();
}

// A handler running on a thread of its own until Release.
class TRunningHandler {
 public:
  explicit TRunningHandler(TCallbackGate& gate)
      : FThread([this, &gate, released = FRelease.get_future()]() mutable {
          gate.Run([&] {
            FEntered.set_value();
            released.wait();
            FFinished = true;
          });
        }) {
    FEntered.get_future().wait();
  }
  ~TRunningHandler() {
    Release();
    FThread.join();
  }
  void Release() {
    if (!FReleased) FRelease.set_value();
    FReleased = true;
  }
  bool Finished() const { return FFinished; }

 private:
  std::promise<void> FEntered;
  std::promise<void> FRelease;
  bool FReleased = false;
  std::atomic<bool> FFinished{false};
  std::thread FThread;  // last: starts when the rest exists
};

TEST(CallbackGate, ClosedAnswersWhileAHandlerRunsOnAnotherThread) {
  TCallbackGate gate;
  TRunningHandler handler(gate);
  auto open = std::async(std::launch::async, [&] { return !gate.Closed(); });
  const bool answered = Arrives(open);
  handler.Release();  // lets a gate that holds its lock around the handler go on
  EXPECT_TRUE(answered) << "Closed() waited for the running handler";
  EXPECT_TRUE(open.get());
}

TEST(CallbackGate, CloseFromAnotherThreadWaitsForTheRunningHandler) {
  TCallbackGate gate;
  TRunningHandler handler(gate);
  std::atomic<bool> finishedAtClose{false};
  std::thread closer([&] {
    gate.Close();
    finishedAtClose = handler.Finished();
  });
  AwaitClosed(gate);
  handler.Release();
  closer.join();
  EXPECT_TRUE(finishedAtClose) << "Close returned while the handler still ran";
}

TEST(CallbackGate, CloseFromWithinAHandlerReturns) {
  auto gate = std::make_shared<TCallbackGate>();
  auto nested = std::make_shared<std::atomic<bool>>(false);
  std::promise<bool> done;
  auto returned = done.get_future();
  // Its own thread: a Close that waits for itself would hang it for good.
  std::thread([gate, nested, done = std::move(done)]() mutable {
    bool after = false;
    gate->Run([&] {
      gate->Close();
      after = gate->Closed();
      gate->Run([&] { *nested = true; });
    });
    done.set_value(after);
  }).detach();
  ASSERT_TRUE(Arrives(returned)) << "Close within a handler waited for that handler";
  EXPECT_TRUE(returned.get());
  EXPECT_FALSE(*nested) << "a handler ran after Close returned";
}

TEST(CallbackGate, HandlersWithinAHandlerRunWhileOpen) {
  TCallbackGate gate;
  int depth = 0;
  gate.Run([&] {
    ++depth;
    gate.Run([&] { ++depth; });
  });
  EXPECT_EQ(depth, 2);
}

TEST(CallbackGate, NoHandlerStartsAfterCloseReturned) {
  TCallbackGate gate;
  gate.Close();
  bool ran = false;
  gate.Run([&] { ran = true; });
  std::thread([&] { gate.Run([&] { ran = true; }); }).join();
  EXPECT_FALSE(ran);
}

TEST(CallbackGate, AHandlerWaitingForItsTurnGivesUpWhenTheGateCloses) {
  TCallbackGate gate;
  std::atomic<bool> ran{false};
  std::thread waiting;
  {
    TRunningHandler handler(gate);
    std::promise<void> calling;
    waiting = std::thread([&] {
      calling.set_value();
      gate.Run([&] { ran = true; });
    });
    calling.get_future().wait();
    std::thread closer([&] { gate.Close(); });
    AwaitClosed(gate);
    handler.Release();
    closer.join();
  }
  waiting.join();
  EXPECT_FALSE(ran);
}

// The users promise one handler call at a time whichever thread calls.
TEST(CallbackGate, HandlersOnTwoThreadsNeverOverlap) {
  TCallbackGate gate;
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::latch start(2);  // both threads call at once
  const auto work = [&] {
    start.arrive_and_wait();
    for (int i = 0; i < 20000; ++i) {
      gate.Run([&] {
        if (inside.fetch_add(1) != 0) ++overlaps;
        for (int j = 0; j < 3; ++j) std::this_thread::yield();
        inside.fetch_sub(1);
      });
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(overlaps, 0);
}

}  // namespace
}  // namespace halvane::sources
