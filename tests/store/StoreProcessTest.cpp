// The store under other processes: one killed while it writes, two writing
// the same pages at once. Each case runs on SQLite and on PostgreSQL.
#include <gtest/gtest.h>
#include <signal.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <new>
#include <set>

#include "tests/store/StoreFixture.h"

namespace halvane::store::test {
namespace {

template <class T>
using StoreProcesses = StoreTest<T>;
TYPED_TEST_SUITE(StoreProcesses, TBackends, TBackendNames);

constexpr int kBatch = 200;

std::vector<TVerdictRecord> Batch(int batch) {
  std::vector<TVerdictRecord> verdicts;
  for (int i = 0; i < kBatch; ++i) {
    verdicts.push_back(RowVerdict("https://b" + std::to_string(batch) + ".example/" + std::to_string(i)));
  }
  return verdicts;
}

// Runs body in a child process that ends with _exit (never the parent's
// destructors, which would stop the test's server): 0 when body returned.
template <class TBody>
pid_t Child(TBody body) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  try {
    body();
  } catch (const std::exception& error) {
    std::cerr << "child " << getpid() << ": " << error.what() << "\n";
    _exit(1);
  }
  _exit(0);
}

int ExitStatus(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// What a writer says it committed, in memory it shares with the test: a
// pipe would wake the test and put the writer to sleep between two batches,
// where a kill proves nothing.
struct TCommitLog {
  std::atomic<int> Count{0};
  int Batches[1 << 16];
};

// Writes batches from first on until killed once a few are in; gives the
// batches it recorded as committed.
template <class TBackend>
std::set<int> WriteUntilKilled(const std::string& location, int first) {
  void* shared = mmap(nullptr, sizeof(TCommitLog), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) throw std::runtime_error("mmap failed");
  auto* log = new (shared) TCommitLog;
  const pid_t writer = Child([&] {
    auto store = OpenStore(location);
    for (int batch = first; log->Count.load() < (1 << 16); ++batch) {
      store->RecordVerdicts(Batch(batch));
      log->Batches[log->Count.load()] = batch;
      log->Count.fetch_add(1);
    }
  });
  // A few batches in, the kill waits for the writer to be inside the next.
  while (log->Count.load() < 3 || !TBackend::WriterInside(location)) {
    if (waitpid(writer, nullptr, WNOHANG) == writer) break;
    sched_yield();
  }
  kill(writer, SIGKILL);
  EXPECT_EQ(ExitStatus(writer), 128 + SIGKILL) << "the writer ended before it was killed";
  const std::set<int> committed(log->Batches, log->Batches + log->Count.load());
  munmap(shared, sizeof(TCommitLog));
  return committed;
}

TYPED_TEST(StoreProcesses, AKilledWriterLeavesEveryCommittedBatchAndNothingOfTheOneItWasWriting) {
  this->Open();  // the schema is in place before the writer starts
  std::set<int> committed;
  for (int round = 0; round < 4; ++round) {
    const auto kept = WriteUntilKilled<TypeParam>(this->FLocation, round * 1000);
    ASSERT_GE(kept.size(), 3u);
    committed.insert(kept.begin(), kept.end());
    ASSERT_EQ(TypeParam::IntegrityCheck(this->FLocation), "ok");
    const TStoreCounts counts = this->Open()->Counts();
    ASSERT_EQ(counts.Pages % kBatch, 0) << "part of a batch was kept";
    ASSERT_EQ(counts.Pages, counts.Verdicts);
  }
  auto store = this->Open();
  for (const int kept : committed) {
    for (const auto& verdict : Batch(kept)) {
      ASSERT_TRUE(store->LastJudged(verdict.Address).has_value()) << verdict.Address << " of committed batch " << kept;
    }
  }
  // The store takes new batches.
  const std::int64_t before = store->Counts().Verdicts;
  store->RecordVerdicts(Batch(-1));
  EXPECT_EQ(store->Counts().Verdicts, before + kBatch);
}

TYPED_TEST(StoreProcesses, TwoWritersOfTheSamePagesMakeEachPageOnceAndKeepEveryVerdict) {
  constexpr int kBatches = 6;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const std::string location = this->FLocation;
  // Both open the new store at once (creating or migrating it) and then
  // write the same pages, one from the first batch on, one from the last.
  auto writer = [&](bool backwards) {
    return Child([&, backwards] {
      close(go[1]);
      char start = 0;
      if (read(go[0], &start, 1) != 1) throw std::runtime_error("no start signal");
      auto store = OpenStore(location);
      const std::int64_t run = store->BeginRun({backwards ? "backwards" : "forwards"}, {}, "test");
      for (int i = 0; i < kBatches; ++i) {
        auto verdicts = Batch(backwards ? kBatches - 1 - i : i);
        for (auto& verdict : verdicts) verdict.RunId = run;
        store->RecordVerdicts(verdicts);
      }
    });
  };
  const pid_t first = writer(false);
  const pid_t second = writer(true);
  close(go[0]);
  ASSERT_EQ(write(go[1], "gg", 2), 2);
  close(go[1]);
  EXPECT_EQ(ExitStatus(first), 0);
  EXPECT_EQ(ExitStatus(second), 0);

  auto store = this->Open();
  EXPECT_EQ(store->Counts(), (TStoreCounts{kBatches * kBatch, 2 * kBatches * kBatch, 2, 0, 0}));
  for (int i = 0; i < kBatches; ++i) {
    const auto verdicts = store->Verdicts(Batch(i).front().Address);
    ASSERT_EQ(verdicts.size(), 2u);
    EXPECT_NE(verdicts[0].RunId, verdicts[1].RunId);
  }
}

}  // namespace
}  // namespace halvane::store::test
