#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "liverun/TPageOutcome.h"
#include "livesetup/TSessionMemory.h"
#include "livesetup/TStoreTasks.h"
#include "store/OpenStore.h"
#include "store/TStoreError.h"
#include "tests/store/TScratchFolder.h"

namespace halvane::livesetup {
namespace {

using store::test::TScratchFolder;

class SessionMemoryTest : public ::testing::Test {
 protected:
  std::unique_ptr<store::TStore> Open() { return store::OpenStore(FFolder.Path() + "/halvane.db"); }

  static liverun::TPageOutcome Kept(const std::string& address) {
    return {"blue widgets", address, address, std::string(liverun::kResultKept), ""};
  }
  static liverun::TLiveResult Row(const std::string& address) {
    liverun::TLiveResult row;
    row.Url = address;
    row.CommentsOpen = true;
    row.AuthorityAwaited = false;
    row.Authority = 4;
    return row;
  }

  TScratchFolder FFolder;
};

TEST_F(SessionMemoryTest, EachRunIsOneOfTheStoresRunsAndTheSecondKnowsTheFirstsPages) {
  TSessionMemory memory(Open(), "SearXNG");
  memory.Begin("blue widgets", "");
  EXPECT_FALSE(memory.Recall("https://a.example/post").Known);
  const liverun::TLiveResult row = Row("https://a.example/post");
  memory.Remember(Kept("https://a.example/post"), &row);
  memory.Flush();
  EXPECT_EQ(memory.Note(), "");

  memory.Begin("red widgets", "\"powered by wordpress\"");
  EXPECT_TRUE(memory.Recall("https://a.example/post").Known);
  EXPECT_FALSE(memory.Recall("https://b.example/post").Known);
  memory.Flush();

  const auto reader = Open();
  const std::vector<store::TRunRecord> runs = reader->Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].Keywords, std::vector<std::string>{"blue widgets"});
  EXPECT_EQ(runs[0].Engine, "SearXNG");
  ASSERT_TRUE(runs[0].Ended.has_value());
  EXPECT_EQ(runs[0].Counts, (store::TRunCounts{1, 1, 1, 0}));
  EXPECT_EQ(runs[1].Footprints, std::vector<std::string>{"\"powered by wordpress\""});
  EXPECT_EQ(runs[1].Counts, (store::TRunCounts{2, 0, 0, 0}));
  EXPECT_EQ(reader->Verdicts("https://a.example/post").size(), 1u);
}

TEST_F(SessionMemoryTest, BlacklistedPagesAreSkippedAndCounted) {
  Open()->AddToBlacklist("spam.example");
  TSessionMemory memory(Open(), "SearXNG");
  memory.Begin("blue widgets", "");
  EXPECT_EQ(memory.Recall("https://www.spam.example/post").Skip, liverun::kReasonBlacklisted);
  EXPECT_EQ(memory.Recall("https://ok.example/post").Skip, "");
  memory.Flush();
  EXPECT_EQ(Open()->Runs().at(0).Counts.Skipped, 1);
}

// A store whose every call fails, as a server that went away does.
class TBrokenStore : public store::TStore {
 public:
  const std::string& Location() const override { return FLocation; }
  std::int64_t BeginRun(const std::vector<std::string>&, const std::vector<std::string>&,
                        const std::string&) override { Fail(); }
  void EndRun(std::int64_t, const store::TRunCounts&) override { Fail(); }
  std::vector<store::TRunRecord> Runs() override { Fail(); }
  void RecordVerdicts(std::span<const store::TVerdictRecord>) override { Fail(); }
  std::optional<store::TTime> LastJudged(std::string_view) override { Fail(); }
  std::vector<store::THistoryEntry> History(store::TTime) override { Fail(); }
  std::vector<store::TVerdictRecord> Verdicts(std::string_view) override { Fail(); }
  bool AddToBlacklist(std::string_view) override { Fail(); }
  bool RemoveFromBlacklist(std::string_view) override { Fail(); }
  std::vector<store::TBlacklistEntry> Blacklist() override { Fail(); }
  bool IsBlacklisted(std::string_view) override { Fail(); }
  bool AddLink(std::string_view, std::string_view) override { Fail(); }
  std::vector<store::TUserLink> Links(std::string_view) override { Fail(); }
  std::optional<store::TLinkCheck> RecordLinkCheck(std::string_view, const store::TLinkCheck&) override { Fail(); }
  store::TStoreCounts Counts() override { Fail(); }

 private:
  [[noreturn]] void Fail() const { throw store::TStoreError("postgresql://db.example/halvane: server closed the connection"); }
  std::string FLocation = "postgresql://db.example/halvane";
};

TEST(SessionMemory, AStoreThatFailsIsSaidInTheNoteAndTheRunGoesOnWithoutIt) {
  TSessionMemory memory(std::make_unique<TBrokenStore>(), "SearXNG");
  memory.Begin("blue widgets", "");
  const liverun::TRecall recall = memory.Recall("https://a.example/post");
  EXPECT_EQ(recall.Skip, "");
  EXPECT_FALSE(recall.Known);
  memory.Flush();
  EXPECT_EQ(memory.Note(), "not remembered: postgresql://db.example/halvane: server closed the connection");
  // The next run starts afresh and says it again.
  memory.Begin("red widgets", "");
  memory.Flush();
  EXPECT_NE(memory.Note(), "");
}

TEST(StoreTasks, TasksRunInOrderOnOneStoreAndThoseLeftRunBeforeTheWorkerEnds) {
  TScratchFolder folder;
  const std::string path = folder.Path() + "/halvane.db";
  int opened = 0;
  std::vector<std::string> seen;
  {
    TStoreTasks tasks([&](std::string&) {
      ++opened;
      return store::OpenStore(path);
    });
    for (const char* domain : {"a.example", "b.example", "c.example"}) {
      tasks.Post([&seen, domain](store::TStore* store, const std::string&) {
        ASSERT_NE(store, nullptr);
        store->AddToBlacklist(domain);
        seen.push_back(domain);
      });
    }
  }
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"a.example", "b.example", "c.example"}));
  EXPECT_EQ(store::OpenStore(path)->Blacklist().size(), 3u);
}

TEST(StoreTasks, AStoreThatCannotBeOpenedReachesEveryTaskWithItsReason) {
  std::vector<std::string> errors;
  {
    TStoreTasks tasks([](std::string& error) -> std::unique_ptr<store::TStore> {
      error = "cannot open /nowhere/halvane.db: no such folder";
      return nullptr;
    });
    for (int i = 0; i < 2; ++i) {
      tasks.Post([&errors](store::TStore* store, const std::string& error) {
        EXPECT_EQ(store, nullptr);
        errors.push_back(error);
      });
    }
  }
  EXPECT_EQ(errors, std::vector<std::string>(2, "cannot open /nowhere/halvane.db: no such folder"));
}

TEST(StoreTasks, PostingReturnsWhileATaskIsStillRunning) {
  std::mutex lock;
  std::condition_variable changed;
  bool release = false;
  bool second = false;
  TStoreTasks tasks([](std::string&) { return std::unique_ptr<store::TStore>(); });
  tasks.Post([&](store::TStore*, const std::string&) {
    std::unique_lock held(lock);
    changed.wait(held, [&] { return release; });
  });
  // The worker is held up; posting from here must not wait for it.
  tasks.Post([&](store::TStore*, const std::string&) {
    const std::lock_guard held(lock);
    second = true;
    changed.notify_all();
  });
  {
    const std::lock_guard held(lock);
    release = true;
  }
  changed.notify_all();
  std::unique_lock held(lock);
  changed.wait(held, [&] { return second; });
  EXPECT_TRUE(second);
}

}  // namespace
}  // namespace halvane::livesetup
