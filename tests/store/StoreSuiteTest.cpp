// One suite for every store: each case runs on SQLite and on PostgreSQL.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/StoreSchema.h"
#include "store/TStoreError.h"
#include "tests/store/StoreFixture.h"

namespace halvane::store::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

template <class T>
using StoreSuite = StoreTest<T>;
TYPED_TEST_SUITE(StoreSuite, TBackends, TBackendNames);

TYPED_TEST(StoreSuite, VerdictsComeBackAsRecordedWithUnknownsKeptUnknown) {
  auto store = this->Open();
  const std::int64_t run = store->BeginRun({"garden"}, {}, "searxng");
  TVerdictRecord full = RowVerdict("https://blog.example/post/");
  full.FinalAddress = "https://blog.example/2024/post/";
  full.RunId = run;
  full.HasYourLink = true;
  full.YourLinkRel = "ugc";
  full.Anchor = "My Shop";
  full.CommentLinks = TCommentLinks::Mixed;
  TVerdictRecord unknown;
  unknown.Address = "https://other.example/";
  unknown.Host = "other.example";
  unknown.Reason = "failed: HTTP 404";
  store->RecordVerdicts(std::vector{full, unknown});

  full.JudgedAt = this->FNow;
  unknown.JudgedAt = this->FNow;
  unknown.FinalAddress = unknown.Address;  // none given: the page was found where it was asked for
  EXPECT_THAT(store->Verdicts(full.Address), ElementsAre(full));
  EXPECT_THAT(store->Verdicts(unknown.Address), ElementsAre(unknown));
  EXPECT_TRUE(store->Verdicts("https://never.example/").empty());
}

TYPED_TEST(StoreSuite, APageJudgedAgainKeepsItsFirstSightingAndEveryVerdict) {
  auto store = this->Open();
  const std::string address = "https://blog.example/a/";
  store->RecordVerdicts(std::vector{RowVerdict(address)});
  const TTime first = this->FNow;
  this->FNow += 3600;
  TVerdictRecord second = RowVerdict(address);
  second.Reason = "nofollow";
  store->RecordVerdicts(std::vector{second});

  EXPECT_EQ(store->LastJudged(address), this->FNow);
  const auto verdicts = store->Verdicts(address);
  ASSERT_EQ(verdicts.size(), 2u);
  EXPECT_EQ(verdicts[0].Reason, "");
  EXPECT_EQ(verdicts[1].Reason, "nofollow");
  const auto history = store->History(0);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].Page.FirstSeen, first);
  EXPECT_EQ(history[0].Page.LastJudged, this->FNow);
  EXPECT_EQ(history[0].Verdict.Reason, "nofollow");  // the latest
  EXPECT_EQ(store->Counts().Pages, 1);
  EXPECT_EQ(store->Counts().Verdicts, 2);
}

TYPED_TEST(StoreSuite, JudgedSinceIsTrueFromTheMomentOfJudgingOn) {
  auto store = this->Open();
  store->RecordVerdicts(std::vector{RowVerdict("https://blog.example/a/")});
  EXPECT_TRUE(store->JudgedSince("https://blog.example/a/", this->FNow));
  EXPECT_FALSE(store->JudgedSince("https://blog.example/a/", this->FNow + 1));
  EXPECT_FALSE(store->JudgedSince("https://blog.example/b/", 0));
  EXPECT_FALSE(store->JudgedSince("https://blog.example/A/", 0));  // the key is the address as given
}

TYPED_TEST(StoreSuite, HistoryListsPagesJudgedSinceADateOldestFirst) {
  auto store = this->Open();
  store->RecordVerdicts(std::vector{RowVerdict("https://old.example/")});
  this->FNow += 100;
  store->RecordVerdicts(std::vector{RowVerdict("https://new.example/")});
  this->FNow += 100;
  store->RecordVerdicts(std::vector{RowVerdict("https://newest.example/")});
  this->FNow += 100;
  store->RecordVerdicts(std::vector{RowVerdict("https://new.example/")});

  std::vector<std::string> listed;
  for (const auto& entry : store->History(this->FNow - 150)) listed.push_back(entry.Page.Address);
  EXPECT_THAT(listed, ElementsAre("https://newest.example/", "https://new.example/"));
}

TYPED_TEST(StoreSuite, ARunKeepsWhatItSearchedAndItsCounts) {
  auto store = this->Open();
  const std::int64_t first = store->BeginRun({"garden", "pond"}, {"{keyword} \"leave a comment\""}, "brave");
  this->FNow += 60;
  store->EndRun(first, {120, 100, 7, 20});
  const std::int64_t killed = store->BeginRun({"roses"}, {}, "searxng");

  const auto runs = store->Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].Id, first);
  EXPECT_THAT(runs[0].Keywords, ElementsAre("garden", "pond"));
  EXPECT_THAT(runs[0].Footprints, ElementsAre("{keyword} \"leave a comment\""));
  EXPECT_EQ(runs[0].Engine, "brave");
  EXPECT_EQ(runs[0].Started, this->FNow - 60);
  EXPECT_EQ(runs[0].Ended, this->FNow);
  EXPECT_EQ(runs[0].Counts, (TRunCounts{120, 100, 7, 20}));
  EXPECT_EQ(runs[1].Id, killed);
  EXPECT_FALSE(runs[1].Ended.has_value());
  EXPECT_THROW(store->EndRun(killed + 100, {}), TStoreError);
}

TYPED_TEST(StoreSuite, ABatchIsKeptWholeOrNotAtAll) {
  auto store = this->Open();
  store->RecordVerdicts(std::vector{RowVerdict("https://kept.example/")});
  TVerdictRecord orphan = RowVerdict("https://b.example/");
  orphan.RunId = 999;  // no such run: the store refuses the verdict
  EXPECT_THROW(store->RecordVerdicts(std::vector{RowVerdict("https://a.example/"), orphan}), TStoreError);
  EXPECT_FALSE(store->LastJudged("https://a.example/").has_value());
  EXPECT_EQ(store->Counts(), (TStoreCounts{1, 1, 0, 0, 0}));
  // The store is usable after the failed batch.
  store->RecordVerdicts(std::vector{RowVerdict("https://a.example/")});
  EXPECT_EQ(store->Counts().Pages, 2);
}

TYPED_TEST(StoreSuite, ADomainOnTheBlacklistCoversItsSubdomainsOnly) {
  auto store = this->Open();
  EXPECT_TRUE(store->AddToBlacklist("MyShop.Example."));
  EXPECT_FALSE(store->AddToBlacklist("myshop.example"));
  EXPECT_TRUE(store->AddToBlacklist("münchen.de"));
  EXPECT_TRUE(store->IsBlacklisted("myshop.example"));
  EXPECT_TRUE(store->IsBlacklisted("shop.MYSHOP.example"));
  EXPECT_TRUE(store->IsBlacklisted("www.xn--mnchen-3ya.de"));
  EXPECT_FALSE(store->IsBlacklisted("notmyshop.example"));
  EXPECT_FALSE(store->IsBlacklisted("myshop.example.evil.test"));
  EXPECT_FALSE(store->IsBlacklisted("example"));
  EXPECT_THROW(store->AddToBlacklist("https://spam.example/page"), TStoreError);
  EXPECT_THROW(store->AddToBlacklist(""), TStoreError);

  std::vector<std::string> domains;
  for (const auto& entry : store->Blacklist()) domains.push_back(entry.Domain);
  EXPECT_THAT(domains, ElementsAre("myshop.example", "xn--mnchen-3ya.de"));
  EXPECT_TRUE(store->RemoveFromBlacklist("MYSHOP.example"));
  EXPECT_FALSE(store->RemoveFromBlacklist("myshop.example"));
  EXPECT_FALSE(store->IsBlacklisted("shop.myshop.example"));
}

TYPED_TEST(StoreSuite, PagesWithTheUsersLinkAndPagesAddedByHandAreTheUsersLinks) {
  auto store = this->Open();
  TVerdictRecord found = RowVerdict("https://blog.example/found/");
  found.HasYourLink = true;
  store->RecordVerdicts(std::vector{found, RowVerdict("https://blog.example/without/")});
  EXPECT_TRUE(store->AddLink("https://shop.other.example/hand/", "shop.Other.example"));
  EXPECT_FALSE(store->AddLink("https://shop.other.example/hand/", "shop.other.example"));

  auto links = store->Links();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].Address, "https://blog.example/found/");
  EXPECT_EQ(links[0].Origin, TLinkOrigin::Found);
  EXPECT_EQ(links[1].Host, "shop.other.example");
  EXPECT_EQ(links[1].Origin, TLinkOrigin::AddedByHand);
  EXPECT_FALSE(links[1].LastCheck.has_value());
  ASSERT_EQ(store->Links("other.example").size(), 1u);
  EXPECT_TRUE(store->Links("her.example").empty());

  // Adding a found page by hand keeps it when runs stop finding the link.
  EXPECT_FALSE(store->AddLink("https://blog.example/found/", "blog.example"));
  EXPECT_EQ(store->Links()[0].Origin, TLinkOrigin::AddedByHand);
}

TYPED_TEST(StoreSuite, ARecheckReplacesTheLastResultAndGivesItBack) {
  auto store = this->Open();
  store->AddLink("https://blog.example/p/", "blog.example");
  EXPECT_FALSE(store->RecordLinkCheck("https://blog.example/p/", {TLinkState::PresentFollowed, 0, "", 0}).has_value());
  const TTime firstCheck = this->FNow;
  this->FNow += 7 * 86400;
  const auto previous = store->RecordLinkCheck("https://blog.example/p/", {TLinkState::Gone, 404, "", 0});
  ASSERT_TRUE(previous.has_value());
  EXPECT_EQ(*previous, (TLinkCheck{TLinkState::PresentFollowed, 0, "", firstCheck}));
  store->RecordLinkCheck("https://blog.example/p/", {TLinkState::Failed, 0, "timed out after 30 s", 0});
  EXPECT_EQ(store->Links()[0].LastCheck, (TLinkCheck{TLinkState::Failed, 0, "timed out after 30 s", this->FNow}));

  try {
    store->RecordLinkCheck("https://never.example/", {TLinkState::Missing, 0, "", 0});
    FAIL() << "a check of an unknown link was kept";
  } catch (const TStoreError& error) {
    EXPECT_THAT(error.what(), HasSubstr("https://never.example/"));
  }
}

TYPED_TEST(StoreSuite, WhatIsWrittenIsThereWhenTheStoreIsOpenedAgain) {
  {
    auto store = this->Open();
    store->BeginRun({"garden"}, {}, "searxng");
    store->RecordVerdicts(std::vector{RowVerdict("https://blog.example/")});
    store->AddToBlacklist("spam.example");
    store->AddLink("https://blog.example/", "blog.example");
  }
  auto store = this->Open();
  EXPECT_EQ(store->Counts(), (TStoreCounts{1, 1, 1, 1, 1}));
}

TYPED_TEST(StoreSuite, AStoreFromANewerProgramIsRefusedWithItsVersion) {
  this->Open();
  TypeParam::Execute(this->FLocation, TypeParam::SchemaVersionStatement(LatestSchemaVersion() + 1));
  try {
    this->Open();
    FAIL() << "a newer store was opened";
  } catch (const TStoreError& error) {
    EXPECT_THAT(error.what(), HasSubstr("newer Halvane"));
    EXPECT_THAT(error.what(), HasSubstr(std::to_string(LatestSchemaVersion() + 1)));
  }
}

}  // namespace
}  // namespace halvane::store::test
