// The re-check of the user's links over in-memory pages and a SQLite store in
// a temporary folder: what each page says, progress, what changed since the
// last check, Stop, and a store that refuses the results.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "live/RegistrableDomain.h"
#include "livesetup/TLinkRecheck.h"
#include "store/OpenStore.h"
#include "tests/liverun/LiveRunFakes.h"

namespace halvane::livesetup {
namespace {

namespace fs = std::filesystem;
using liverun::testing::Answer;
using liverun::testing::TFakeFetcher;

// A safety limit for the end of a check, not a measurement.
constexpr std::chrono::seconds kNoEnd{60};
constexpr store::TTime kFirstCheck = 1796378400;  // 2026-12-04 10:00 UTC

class TRecorder : public TLinkRecheckListener {
 public:
  void Progress(std::size_t done, std::size_t total) override {
    std::lock_guard lock(FLock);
    if (FSummary) FFaults = true;
    FProgress.emplace_back(done, total);
    FChanged.notify_all();
  }
  void Finished(const std::vector<TRecheckLine>& lines, const TLinkRecheckSummary& summary) override {
    std::lock_guard lock(FLock);
    if (FSummary) FFaults = true;
    FLines = lines;
    FSummary = summary;
    FChanged.notify_all();
  }
  bool WaitFor(const std::function<bool()>& condition) {
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, kNoEnd, condition);
  }
  bool WaitForEnd() { return WaitFor([this] { return FSummary.has_value(); }); }
  // Once finished.
  std::vector<std::pair<std::size_t, std::size_t>> FProgress;
  std::vector<TRecheckLine> FLines;
  std::optional<TLinkRecheckSummary> FSummary;
  bool FFaults = false;  // a call after Finished

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
};

// A comment page as a blog shows it, with the user's link when rel is set.
std::string CommentPage(const std::string& rel) {
  const std::string link = rel == "none" ? "" : "<a href='https://mine.example/' " + rel + ">Mine</a>";
  return "<html><head><meta name='generator' content='WordPress 6.4'></head><body><ol class='comment-list'>"
         "<li id='comment-2' class='comment'><div class='comment-content'><p>Nice. " + link +
         "</p></div></li></ol></body></html>";
}

class LinkRecheckTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "halvane-recheck-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    Folder = pattern;
    Store = store::OpenStore(Path(), {[this] { return Now; }, 0});
    for (const std::string& page : Pages) Store->AddLink(page, live::HostOfUrl(page));
  }
  void TearDown() override {
    Store.reset();
    fs::remove_all(Folder);
  }
  std::string Path() const { return Folder + "/halvane.db"; }
  // Runs one check to its end.
  void Check(TRecorder& recorder) {
    TLinkRecheck recheck(Fetcher, *Store, "mine.example", recorder);
    recheck.Start();
    EXPECT_TRUE(recorder.WaitForEnd());
    recheck.Wait();
  }

  const std::vector<std::string> Pages = {"https://a.example/1", "https://b.example/2", "https://c.example/3",
                                          "https://d.example/4", "https://e.example/5"};
  std::string Folder;
  store::TTime Now = kFirstCheck;
  std::unique_ptr<store::TStore> Store;
  TFakeFetcher Fetcher{3};
};

TEST_F(LinkRecheckTest, EveryPageSaysWhatBecameOfItsLinkAndIsRecorded) {
  Fetcher.Pages[Pages[0]] = {Answer(200, CommentPage("rel='ugc'")), 0};
  Fetcher.Pages[Pages[1]] = {Answer(200, CommentPage("rel='nofollow ugc'")), 0};
  Fetcher.Pages[Pages[2]] = {Answer(200, CommentPage("none")), 0};
  // Pages[3] is unknown to the fetcher: HTTP 404.
  live::TLiveResponse refused;
  refused.Error = live::TLiveError::Timeout;
  refused.Message = "timed out after 30 s";
  Fetcher.Pages[Pages[4]] = {refused, 0};

  TRecorder first;
  Check(first);
  ASSERT_TRUE(first.FSummary);
  EXPECT_FALSE(first.FFaults);
  const TLinkRecheckSummary& summary = *first.FSummary;
  EXPECT_FALSE(summary.Stopped);
  EXPECT_EQ(summary.StoreError, "");
  EXPECT_EQ(summary.StoreLocation, Path());
  EXPECT_EQ(RecheckCountsText(summary), "5 pages checked: 1 followed, 1 nofollow, 1 missing, 1 gone, 1 failed");
  std::vector<std::string> said;
  for (const TRecheckLine& line : first.FLines) {
    said.push_back(LinkStateText(line.Check) + " " + line.Address + " " + LinkChangeText(line));
  }
  EXPECT_EQ(said, (std::vector<std::string>{"present, followed https://a.example/1 first check",
                                            "present, nofollow https://b.example/2 first check",
                                            "missing https://c.example/3 first check",
                                            "page gone (HTTP 404) https://d.example/4 first check",
                                            "failed: timed out after 30 s https://e.example/5 first check"}));
  // Progress starts at nothing, never goes back and reaches every page.
  ASSERT_FALSE(first.FProgress.empty());
  EXPECT_EQ(first.FProgress.front(), std::make_pair(std::size_t{0}, std::size_t{5}));
  EXPECT_EQ(first.FProgress.back(), std::make_pair(std::size_t{5}, std::size_t{5}));
  for (std::size_t i = 1; i < first.FProgress.size(); ++i) {
    EXPECT_LE(first.FProgress[i - 1].first, first.FProgress[i].first);
  }
  // Every result is in the store.
  const std::vector<store::TUserLink> links = Store->Links();
  ASSERT_EQ(links.size(), 5u);
  for (std::size_t i = 0; i < links.size(); ++i) {
    ASSERT_TRUE(links[i].LastCheck) << links[i].Address;
    EXPECT_EQ(links[i].LastCheck->State, first.FLines[i].Check.State);
  }

  // A week later the blog turned the first link nofollow; the rest stayed.
  Now = kFirstCheck + 7 * 86400;
  Fetcher.Pages[Pages[0]] = {Answer(200, CommentPage("rel='nofollow'")), 0};
  TRecorder second;
  Check(second);
  ASSERT_EQ(second.FLines.size(), 5u);
  ASSERT_TRUE(second.FLines[0].Previous);
  EXPECT_EQ(second.FLines[0].Previous->State, store::TLinkState::PresentFollowed);
  EXPECT_EQ(LinkChangeText(second.FLines[0]), "was present, followed (2026-12-04 10:00)");
  EXPECT_EQ(LinkChangeText(second.FLines[2]), "");  // still missing: nothing to say
  EXPECT_EQ(Store->Links()[0].LastCheck->CheckedAt, Now);
}

TEST_F(LinkRecheckTest, NoLinksSaysHowToAddThem) {
  std::unique_ptr<store::TStore> empty = store::OpenStore(Folder + "/empty.db");
  TRecorder recorder;
  TLinkRecheck recheck(Fetcher, *empty, "mine.example", recorder);
  recheck.Start();
  ASSERT_TRUE(recorder.WaitForEnd());
  EXPECT_TRUE(recorder.FSummary->NoLinks());
  EXPECT_EQ(NoLinksText(recorder.FSummary->StoreLocation),
            "no links recorded in " + Folder + "/empty.db; add the pages of your comments with "
            "\"halvane-harvest links add URL...\"");
}

TEST_F(LinkRecheckTest, StopAbortsTheFetchesAndRecordsNothing) {
  for (const std::string& page : Pages) Fetcher.Pages[page] = {Answer(200, CommentPage("rel='ugc'")), 0};
  // Answers only when aborted: far beyond the safety limit below.
  Fetcher.Pages[Pages[4]].DelayMs = 3600 * 1000;
  TRecorder recorder;
  TLinkRecheck recheck(Fetcher, *Store, "mine.example", recorder);
  recheck.Start();
  ASSERT_TRUE(recorder.WaitFor([&] { return !recorder.FProgress.empty() && recorder.FProgress.back().first == 4; }));
  recheck.Stop();
  ASSERT_TRUE(recorder.WaitForEnd());
  EXPECT_TRUE(recorder.FSummary->Stopped);
  EXPECT_FALSE(recorder.FSummary->NoLinks());
  EXPECT_TRUE(recorder.FLines.empty());
  for (const store::TUserLink& link : Store->Links()) EXPECT_FALSE(link.LastCheck) << link.Address;
}

TEST_F(LinkRecheckTest, AStoreThatRefusesTheResultsSaysWhy) {
  // Another connection holds the write lock; the store waits for nobody.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  TRecorder recorder;
  Check(recorder);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ASSERT_TRUE(recorder.FSummary);
  EXPECT_NE(recorder.FSummary->StoreError.find(Path()), std::string::npos) << recorder.FSummary->StoreError;
  EXPECT_TRUE(recorder.FLines.empty());
  EXPECT_FALSE(Store->Links()[0].LastCheck);
}

}  // namespace
}  // namespace halvane::livesetup
