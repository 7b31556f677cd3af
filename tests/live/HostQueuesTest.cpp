// The per-host queues on their own, without a network: which request may
// start, in what order, and how long the worker may sleep.
#include "live/THostQueues.h"

#include <gtest/gtest.h>

#include <chrono>

namespace halvane::live {
namespace {

using namespace std::chrono_literals;
using TClock = THostQueues::TClock;

const TClock::time_point kT0{};

// The ids TakeReady hands out at now, each started there.
std::vector<TRequestId> StartAll(THostQueues& queues, TClock::time_point now) {
  std::vector<TRequestId> ids;
  while (const auto ready = queues.TakeReady(now)) {
    queues.Started(ready->Host, now);
    ids.push_back(ready->Id);
  }
  return ids;
}

TEST(HostQueues, StartsTheOldestRequestsAcrossHostsUpToTheTotalLimit) {
  THostQueues queues(3, 3, 0ms);
  queues.Enqueue("b.example", 2);
  queues.Enqueue("a.example", 4);
  queues.Enqueue("b.example", 5);
  queues.Enqueue("c.example", 1);
  queues.Enqueue("a.example", 3);
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{1, 2, 3}));
  EXPECT_EQ(queues.Running(), 3);
  queues.Ended("b.example");
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{4}));
}

TEST(HostQueues, KeepsEachHostWithinItsOwnLimit) {
  THostQueues queues(8, 2, 0ms);
  for (TRequestId id = 1; id <= 4; ++id) queues.Enqueue("busy.example", id);
  queues.Enqueue("other.example", 5);
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{1, 2, 5}));
  queues.Ended("busy.example");
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{3}));
}

TEST(HostQueues, ARequestThatComesBackTakesItsPlaceBySubmission) {
  THostQueues queues(1, 1, 0ms);
  queues.Enqueue("a.example", 3);
  queues.Enqueue("a.example", 7);
  queues.Enqueue("a.example", 5);  // a retry of an older request
  queues.Enqueue("a.example", 1);
  std::vector<TRequestId> order;
  while (const auto ready = queues.TakeReady(kT0)) order.push_back(ready->Id);  // none starts: no slot held
  EXPECT_EQ(order, (std::vector<TRequestId>{1, 3, 5, 7}));
}

TEST(HostQueues, RemovedRequestsNeverStart) {
  THostQueues queues(4, 4, 0ms);
  queues.Enqueue("a.example", 1);
  queues.Enqueue("a.example", 2);
  queues.Remove("a.example", 1);
  queues.Remove("nowhere.example", 2);
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{2}));
}

TEST(HostQueues, WaitsTheHostDelayBetweenTwoStartsOnOneHost) {
  THostQueues queues(4, 4, 250ms);
  queues.Enqueue("slow.example", 1);
  queues.Enqueue("slow.example", 2);
  queues.Enqueue("fast.example", 3);
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{1, 3}));
  EXPECT_EQ(StartAll(queues, kT0 + 249ms), std::vector<TRequestId>{});
  EXPECT_EQ(queues.WaitMs(kT0 + 100ms, 1000), 151);
  EXPECT_EQ(StartAll(queues, kT0 + 250ms), (std::vector<TRequestId>{2}));
}

TEST(HostQueues, AStartThatFailedHoldsNoSlotAndNoDelay) {
  THostQueues queues(1, 1, 10s);
  queues.Enqueue("a.example", 1);
  queues.Enqueue("a.example", 2);
  ASSERT_EQ(queues.TakeReady(kT0)->Id, 1u);  // never Started
  EXPECT_EQ(queues.Running(), 0);
  EXPECT_EQ(StartAll(queues, kT0), (std::vector<TRequestId>{2}));
}

TEST(HostQueues, RetriesComeDueInTimeOrderAndCanBeCancelled) {
  THostQueues queues(4, 4, 0ms);
  queues.RetryAt(1, kT0 + 2s);
  queues.RetryAt(2, kT0 + 1s);
  queues.RetryAt(3, kT0 + 1s);
  queues.CancelRetry(3);
  EXPECT_EQ(queues.Due(kT0 + 999ms), std::vector<TRequestId>{});
  EXPECT_EQ(queues.WaitMs(kT0 + 500ms, 1000), 501);
  EXPECT_EQ(queues.Due(kT0 + 2s), (std::vector<TRequestId>{2, 1}));
  EXPECT_EQ(queues.Due(kT0 + 10s), std::vector<TRequestId>{});
  EXPECT_EQ(queues.WaitMs(kT0 + 10s, 1000), 1000);
}

TEST(HostQueues, SleepsNoLongerThanTheEarliestHostOrRetry) {
  THostQueues queues(2, 1, 300ms);
  queues.Enqueue("a.example", 1);
  queues.Enqueue("a.example", 2);
  EXPECT_EQ(queues.WaitMs(kT0, 1000), 1000) << "nothing started yet: no delay to wait for";
  StartAll(queues, kT0);
  EXPECT_EQ(queues.WaitMs(kT0, 1000), 1000) << "the host is full: its delay does not wake the worker";
  queues.Ended("a.example");
  EXPECT_EQ(queues.WaitMs(kT0 + 100ms, 1000), 201);
  EXPECT_EQ(queues.WaitMs(kT0 + 400ms, 1000), 0) << "a delay that has passed: no sleep";
  queues.RetryAt(7, kT0 + 150ms);
  EXPECT_EQ(queues.WaitMs(kT0 + 100ms, 1000), 51);
}

}  // namespace
}  // namespace halvane::live
