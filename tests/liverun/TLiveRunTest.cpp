// A live run against in-memory sources: order, determinism, counts, Stop,
// and a source failing half-way.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>

#include "tests/liverun/LiveRunFakes.h"
#include "liverun/ClassicPageJudge.h"
#include "live/RegistrableDomain.h"
#include "liverun/TLiveRun.h"

namespace halvane::liverun {
namespace {

using namespace testing;
using std::chrono::milliseconds;

// n blogs on hosts b<i>.example<i % 5>.org: every third page has nofollow
// links (no row), every fourth links to the user, every seventh is refused
// by robots.txt, every eleventh fails. Delays shuffle the answers' order.
struct TWeb {
  std::vector<std::string> Addresses;
  std::map<std::string, TFakePage> Pages;
  std::map<std::string, int> Authority;
  std::map<std::string, std::string> Ranks;
};

TWeb MakeWeb(int count) {
  TWeb web;
  for (int i = 0; i < count; ++i) {
    const std::string host = "b" + std::to_string(i) + ".example" + std::to_string(i % 5) + ".org";
    const std::string url = "https://" + host + "/post-" + std::to_string(i);
    web.Addresses.push_back(url);
    TFakePage page;
    page.DelayMs = static_cast<int>((i * 7919) % 13);
    if (i % 7 == 6) {
      page.Response = Failure(live::TLiveError::RobotsDisallowed, "robots.txt forbids " + url);
    } else if (i % 11 == 10) {
      page.Response = Failure(live::TLiveError::Timeout, "timed out after 30 s");
    } else if (i % 3 == 2) {
      page.Response = Answer(200, QualifyingPage("", "") + "<a rel=\"nofollow\">x</a>");
    } else {
      page.Response = Answer(200, QualifyingPage(i % 4 == 0 ? "mine.com" : "", "Anchor " + std::to_string(i)));
    }
    web.Pages[url] = page;
    if (i % 5 != 4) web.Authority["example" + std::to_string(i % 5) + ".org"] = i % 5 + 1;
    if (i % 2 == 0) web.Ranks[url] = std::to_string(1000 + i).insert(1, ",");  // as shown
  }
  return web;
}

struct TRunFixture {
  explicit TRunFixture(const TWeb& web, int parallel = 4) {
    auto harvest = std::make_unique<TFakeHarvest>();
    harvest->Addresses = web.Addresses;
    Harvest = harvest.get();
    auto pages = std::make_unique<TFakeFetcher>(parallel);
    pages->Pages = web.Pages;
    Pages = pages.get();
    auto authority = std::make_unique<TFakeAuthority>();
    authority->Figures = web.Authority;
    Authority = authority.get();
    auto ranking = std::make_unique<TFakeRanking>();
    ranking->Cells = web.Ranks;
    Parts.Harvest = std::move(harvest);
    Parts.Pages = std::move(pages);
    Parts.Authority = std::move(authority);
    Parts.Ranking = std::move(ranking);
    Parts.Judge = ClassicPageJudge;
  }
  std::vector<TLiveRow> Run(int depth = 1) {
    TLiveRun run(Parts, {"blue widgets", "mine.com", depth}, Recorder);
    run.Start();
    EXPECT_TRUE(run.WaitFor(milliseconds(20000)));
    EXPECT_EQ(Recorder.FinishedCalls(), 1);
    EXPECT_TRUE(Recorder.Faults().empty()) << Recorder.Faults().front();
    return Recorder.Rows();
  }
  TLiveRunParts Parts;
  TFakeHarvest* Harvest = nullptr;
  TFakeFetcher* Pages = nullptr;
  TFakeAuthority* Authority = nullptr;
  TRecorder Recorder;
};

TEST(LiveRun, RowsComeInHarvestOrderWithEveryCellFilled) {
  const TWeb web = MakeWeb(60);
  TRunFixture fixture(web, 8);
  const std::vector<TLiveRow> rows = fixture.Run();
  std::vector<TLiveRow> expected;
  for (int i = 0; i < 60; ++i) {
    if (i % 7 == 6 || i % 11 == 10 || i % 3 == 2) continue;
    const std::string url = web.Addresses[static_cast<std::size_t>(i)];
    const bool link = i % 4 == 0;
    expected.push_back({i % 5 == 4 ? "-" : std::to_string(i % 5 + 1), url, "Open", "None yet", link ? "Yes" : "No",
                        link ? "anchor " + std::to_string(i) : "-", i % 2 == 0 ? web.Ranks.at(url) : "-"});
  }
  EXPECT_EQ(rows, expected);
  const TLiveRunSummary summary = fixture.Recorder.Summary();
  EXPECT_EQ(summary.Rows, expected.size());
  EXPECT_EQ(summary.PagesFound, 60u);
  EXPECT_EQ(summary.PagesJudged, 60u);
  EXPECT_EQ(summary.RobotsSkipped, 8u);
  EXPECT_EQ(summary.PagesFailed, 5u);
  EXPECT_TRUE(summary.SourceError.empty());
  EXPECT_FALSE(summary.Stopped);
  EXPECT_EQ(fixture.Harvest->LastQuery, "\"blue widgets\" \"comment\" \"powered by wordpress\"");
}

TEST(LiveRun, SameRowsWhateverTheParallelism) {
  const TWeb web = MakeWeb(80);
  std::vector<TLiveRow> first;
  for (int parallel : {1, 3, 8, 16}) {
    TRunFixture fixture(web, parallel);
    const std::vector<TLiveRow> rows = fixture.Run();
    if (parallel == 1) {
      first = rows;
      ASSERT_FALSE(first.empty());
    } else {
      EXPECT_EQ(rows, first) << "parallel " << parallel;
      EXPECT_GT(fixture.Pages->MostAtOnce(), 1);
    }
  }
}

TEST(LiveRun, PageSlotsBoundTheFetchesUnderWay) {
  const TWeb web = MakeWeb(60);
  TRunFixture unbounded(web, 8);
  const std::vector<TLiveRow> expected = unbounded.Run();
  TRunFixture bounded(web, 8);
  bounded.Parts.PageSlots = 3;
  EXPECT_EQ(bounded.Run(), expected);
  EXPECT_EQ(bounded.Pages->MostAtOnce(), 3);
}

TEST(LiveRun, EachDomainIsAskedOnceInBatchesOfAtMostTheLimit) {
  const TWeb web = MakeWeb(60);
  TRunFixture fixture(web, 8);
  fixture.Authority->Batch = 2;
  fixture.Run();
  std::map<std::string, int> asked;
  for (const auto& call : fixture.Authority->CallsMade()) {
    EXPECT_GE(call.size(), 1u);
    EXPECT_LE(call.size(), 2u);
    for (const std::string& domain : call) ++asked[domain];
  }
  EXPECT_EQ(asked.size(), 5u);
  for (const auto& [domain, times] : asked) EXPECT_EQ(times, 1) << domain;
}

TEST(LiveRun, DepthBoundsTheAddressesAsked) {
  TRunFixture fixture(MakeWeb(250), 8);
  fixture.Run(2);
  EXPECT_EQ(fixture.Harvest->LastMax, 200u);
  EXPECT_EQ(fixture.Recorder.Summary().PagesFound, 200u);
}

TEST(LiveRun, AnAuthoritySourceFailingHalfWayLeavesDashAndSaysWhy) {
  const TWeb web = MakeWeb(60);
  TRunFixture fixture(web, 2);
  fixture.Authority->Batch = 1;
  fixture.Authority->FailFromCall = 2;
  const std::vector<TLiveRow> rows = fixture.Run();
  const auto calls = fixture.Authority->CallsMade();
  ASSERT_EQ(calls.size(), 3u);  // nothing asked after the failure
  std::set<std::string> answered = {calls[0][0], calls[1][0]};
  for (const TLiveRow& row : rows) {
    const std::string host = live::HostOfUrl(row[kLiveUrl]);
    const std::string domain = host.substr(host.find('.') + 1);
    if (answered.count(domain) && web.Authority.count(domain)) {
      EXPECT_EQ(row[kLiveAuthority], std::to_string(web.Authority.at(domain))) << row[kLiveUrl];
    } else {
      EXPECT_EQ(row[kLiveAuthority], "-") << row[kLiveUrl];
    }
    EXPECT_NE(row[kLiveComments], "");
  }
  const TLiveRunSummary summary = fixture.Recorder.Summary();
  EXPECT_EQ(summary.SourceError, "FakeRank at rank.test failed on its side (HTTP 500)");
  const auto statuses = fixture.Recorder.Statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "FakeRank at rank.test failed on its side (HTTP 500); Authority shows -"), statuses.end());
}

TEST(LiveRun, AHarvestEndingEarlyStillJudgesWhatItFoundAndSaysWhy) {
  TRunFixture fixture(MakeWeb(20), 4);
  fixture.Harvest->Error = "FakeEngine at search.test is limiting requests (HTTP 429), retry after 12 s";
  const std::vector<TLiveRow> rows = fixture.Run();
  EXPECT_FALSE(rows.empty());
  EXPECT_EQ(fixture.Recorder.Summary().PagesJudged, 20u);
  EXPECT_EQ(fixture.Recorder.Summary().SourceError, "FakeEngine at search.test is limiting requests (HTTP 429), retry after 12 s");
}

// Stop must not wait for the engine or the pages: both would take seconds
// here. The bound leaves room for a loaded machine; the run's own figure
// (well under 100 ms) is no test's business.
constexpr auto kStopBound = milliseconds(1000);

TEST(LiveRun, StopEndsTheRunAtEachStage) {
  // Harvesting: the engine never ends on its own.
  {
    TRunFixture fixture(MakeWeb(10), 2);
    fixture.Harvest->HangUntilStop = true;
    TLiveRun run(fixture.Parts, {"k", "", 1}, fixture.Recorder);
    run.Start();
    ASSERT_TRUE(fixture.Recorder.WaitForStatus("Searching FakeEngine, page 1..."));
    const auto before = std::chrono::steady_clock::now();
    run.Stop();
    EXPECT_TRUE(run.WaitFor(kStopBound));
    EXPECT_LT(std::chrono::steady_clock::now() - before, kStopBound);
    EXPECT_TRUE(fixture.Recorder.Summary().Stopped);
  }
  // Fetching: pages that take 10 s; rows already reported stay.
  {
    TWeb web = MakeWeb(40);
    for (std::size_t i = 5; i < web.Addresses.size(); ++i) web.Pages[web.Addresses[i]].DelayMs = 10000;
    TRunFixture fixture(web, 4);
    TLiveRun run(fixture.Parts, {"k", "", 1}, fixture.Recorder);
    run.Start();
    ASSERT_TRUE(fixture.Recorder.WaitForRows(3));
    const auto before = std::chrono::steady_clock::now();
    run.Stop();
    EXPECT_TRUE(run.WaitFor(kStopBound));
    EXPECT_LT(std::chrono::steady_clock::now() - before, kStopBound);
    EXPECT_GE(fixture.Recorder.Rows().size(), 3u);
    EXPECT_LE(fixture.Recorder.Rows().size(), 4u);  // the pages before the slow ones
    EXPECT_TRUE(fixture.Recorder.Summary().Stopped);
    EXPECT_EQ(fixture.Recorder.Summary().PagesFailed, 0u);  // aborted by Stop, not failed
    EXPECT_EQ(fixture.Recorder.FinishedCalls(), 1);
    EXPECT_TRUE(fixture.Recorder.Faults().empty());
  }
}

TEST(LiveRun, JudgesPagesWhileTheHarvestGoesOn) {
  // The engine reports pages of ten and never ends on its own: rows of the
  // pages reported so far come anyway.
  TRunFixture fixture(MakeWeb(30), 4);
  fixture.Harvest->HangUntilStop = true;
  TLiveRun run(fixture.Parts, {"k", "", 1}, fixture.Recorder);
  run.Start();
  EXPECT_TRUE(fixture.Recorder.WaitForRows(5));
  EXPECT_GE(fixture.Recorder.Rows().size(), 5u);
  run.Stop();
  EXPECT_TRUE(run.WaitFor(kStopBound));
}

TEST(LiveRun, StatusTextsSayWhatIsHappening) {
  TRunFixture fixture(MakeWeb(30), 4);
  fixture.Run();
  const auto statuses = fixture.Recorder.Statuses();
  const auto has = [&](const std::string& text) {
    return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
  };
  EXPECT_TRUE(has("Searching FakeEngine, page 1..."));
  EXPECT_TRUE(has("Searching FakeEngine, page 3..."));
  EXPECT_TRUE(has("Judging 30 of 30 pages..."));
  EXPECT_EQ(statuses.back(), "15 rows from 30 pages, 9 nofollow, 4 pages skipped by robots.txt, 2 pages failed");
}

// The classic test with a canonical link read from a "canonical=" line.
pagetest::TPageVerdict JudgeWithCanonical(const TPageInput& page) {
  pagetest::TPageVerdict verdict = ClassicPageJudge(page);
  const std::size_t at = page.Body.find("canonical=");
  if (at != std::string_view::npos) {
    const std::string_view rest = page.Body.substr(at + 10);
    verdict.Canonical = std::string(rest.substr(0, rest.find('\n')));
  }
  return verdict;
}

// A post reached as ?p=4 (redirected, and answering last), as its
// permalink, spelled otherwise, and through an AMP copy naming it canonical:
// one row, where the page was first harvested. A copy on another site that
// claims the post as canonical keeps a row of its own.
TEST(LiveRun, OnePageGivesOneRowWhereItWasFirstHarvested) {
  const std::string permalink = "https://blog.example.org/2024/hello/";
  TWeb web;
  const auto add = [&web](const std::string& address, live::TLiveResponse response, int delayMs) {
    web.Addresses.push_back(address);
    web.Pages[address] = {std::move(response), delayMs};
  };
  live::TLiveResponse redirected = Answer(200, QualifyingPage("", ""));
  redirected.FinalUrl = permalink;
  add("https://blog.example.org/?p=4", redirected, 60);
  add(permalink, Answer(200, QualifyingPage("", "")), 0);
  web.Addresses.push_back("https://Blog.EXAMPLE.org:443/2024/hello/#comments");
  add("https://blog.example.org/amp/hello/", Answer(200, QualifyingPage("", "") + "\ncanonical=/2024/hello/\n"), 0);
  add("https://copies.example.net/hello/", Answer(200, QualifyingPage("", "") + "\ncanonical=" + permalink + "\n"), 0);
  TRunFixture fixture(web, 4);
  fixture.Parts.Judge = JudgeWithCanonical;
  const std::vector<TLiveRow> rows = fixture.Run();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][kLiveUrl], permalink);
  EXPECT_EQ(rows[1][kLiveUrl], "https://copies.example.net/hello/");
  EXPECT_EQ(fixture.Recorder.Summary().Duplicates, 3u);
  const std::vector<TPageOutcome> outcomes = fixture.Recorder.Outcomes();
  ASSERT_EQ(outcomes.size(), 5u);
  EXPECT_EQ(outcomes[0].Address, "https://blog.example.org/?p=4");
  EXPECT_EQ(outcomes[0].FinalAddress, permalink);
  std::vector<std::string> results;
  for (const TPageOutcome& outcome : outcomes) results.push_back(outcome.Result);
  EXPECT_EQ(results, (std::vector<std::string>{"kept", "duplicate", "duplicate", "duplicate", "kept"}));
  EXPECT_EQ(outcomes[2].Address, permalink);  // one form: case, port and fragment gone
}

// Every harvested address that gets no row says why, in harvest order.
TEST(LiveRun, EveryPageWithoutARowHasItsReason) {
  const TWeb web = MakeWeb(12);
  TRunFixture fixture(web, 4);
  fixture.Run();
  const std::vector<TPageOutcome> outcomes = fixture.Recorder.Outcomes();
  ASSERT_EQ(outcomes.size(), 12u);
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    EXPECT_EQ(outcomes[i].Address, web.Addresses[i]);
    const std::string expected = i % 7 == 6    ? "robots.txt"
                                 : i % 11 == 10 ? "failed: timed out after 30 s"
                                 : i % 3 == 2   ? "nofollow"
                                                : "kept";
    EXPECT_EQ(outcomes[i].Result, expected) << i;
  }
}

// robots.txt that answered 503 is the site's rule ("robots.txt"); one that
// could not be fetched at all (a certificate for the wrong name) is a
// failure the user is told about, error and all.
TEST(LiveRun, ARobotsTxtThatCannotBeFetchedIsAFailureWithItsError) {
  TWeb web = MakeWeb(2);
  live::TLiveResponse busy = Failure(live::TLiveError::RobotsUnavailable, "robots.txt of b0 could not be read: HTTP 503");
  live::TLiveResponse badCertificate =
      Failure(live::TLiveError::RobotsUnavailable,
              "robots.txt of b1 could not be read: certificate verify failed for b1.example1.org");
  badCertificate.RobotsCause = live::TLiveError::Tls;
  web.Pages[web.Addresses[0]].Response = busy;
  web.Pages[web.Addresses[1]].Response = badCertificate;
  TRunFixture fixture(web, 2);
  fixture.Run();
  const std::vector<TPageOutcome> outcomes = fixture.Recorder.Outcomes();
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].Result, "robots.txt");
  EXPECT_EQ(outcomes[1].Result,
            "failed: robots.txt of b1 could not be read: certificate verify failed for b1.example1.org");
  EXPECT_EQ(fixture.Recorder.Summary().RobotsSkipped, 1u);
  EXPECT_EQ(fixture.Recorder.Summary().PagesFailed, 1u);
}

// A search answer's address may carry a password: the page is fetched,
// listed and reported without it.
TEST(LiveRun, AHarvestedPasswordIsNeitherUsedNorShown) {
  TWeb web = MakeWeb(1);
  const std::string plain = web.Addresses[0];
  web.Addresses[0] = "https://alice:S3cr3t@" + plain.substr(std::string("https://").size());
  TRunFixture fixture(web, 1);
  const std::vector<TLiveRow> rows = fixture.Run();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][kLiveUrl], plain);
  const std::vector<TPageOutcome> outcomes = fixture.Recorder.Outcomes();
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].Address, plain);
  EXPECT_EQ(outcomes[0].Result, "kept");
}

// A ranking list whose index was found damaged and rebuilt says so at the
// run's end, beside what the authority source said.
TEST(LiveRun, WhatTheSourcesHaveToSayEndsUpInTheSummary) {
  TRunFixture fixture(MakeWeb(4), 2);
  static_cast<TFakeRanking&>(*fixture.Parts.Ranking).Said = "index tranco.idx was damaged; rebuilt it";
  fixture.Authority->Note = "index opr.idx was damaged; rebuilt it";
  fixture.Run();
  EXPECT_EQ(fixture.Recorder.Summary().Note,
            "index opr.idx was damaged; rebuilt it; index tranco.idx was damaged; rebuilt it");
  EXPECT_NE(fixture.Recorder.Statuses().back().find("index tranco.idx was damaged; rebuilt it"), std::string::npos);
}

TEST(ClassicPageJudge, KeepsTheClassicVerdictAndFindsTheCommentForm) {
  const pagetest::TPageVerdict kept = ClassicPageJudge({QualifyingPage("Mine.com", "My <b>Site</b>"), "", "", "mine.com"});
  EXPECT_TRUE(kept.Qualifies);
  EXPECT_TRUE(kept.CommentsOpen);
  EXPECT_TRUE(kept.HasYourLink);
  EXPECT_EQ(kept.Anchor, "my <b>site</b>");
  EXPECT_FALSE(ClassicPageJudge({"<html><a href='http://mine.com/'>x</a></html>", "", "", "mine.com"}).Qualifies);
  EXPECT_FALSE(ClassicPageJudge({QualifyingPage("", "") + "<a rel=nofollow>", "", "", ""}).Qualifies);
  const pagetest::TPageVerdict closed = ClassicPageJudge({"<img src='/wp-content/a.png'>", "", "", "mine.com"});
  EXPECT_TRUE(closed.Qualifies);
  EXPECT_FALSE(closed.CommentsOpen);
  EXPECT_FALSE(closed.HasYourLink);
}

// A memory of earlier runs: a blacklisted page and one judged recently are
// never fetched; a page judged before gets a row that is not new; every
// verdict but failures and skips is handed back, a row once its authority
// is in.
class TFakeMemory : public TPageMemory {
 public:
  std::map<std::string, TRecall> Answers;
  std::vector<std::pair<TPageOutcome, std::optional<TLiveResult>>> Remembered;
  int Flushes = 0;
  TRecall Recall(const std::string& address) override {
    const auto found = Answers.find(address);
    return found == Answers.end() ? TRecall{} : found->second;
  }
  void Remember(const TPageOutcome& outcome, const TLiveResult* row) override {
    Remembered.emplace_back(outcome, row ? std::optional<TLiveResult>(*row) : std::nullopt);
  }
  void Flush() override { ++Flushes; }
};

TEST(LiveRun, AMemorySkipsWhatItSaysAndHearsEveryVerdict) {
  const TWeb web = MakeWeb(12);
  TRunFixture fixture(web, 4);
  TFakeMemory memory;
  memory.Answers[web.Addresses[0]] = {std::string(kReasonBlacklisted), false};
  memory.Answers[web.Addresses[1]] = {std::string(kReasonJudgedRecently), true};
  memory.Answers[web.Addresses[3]] = {"", true};
  fixture.Parts.Memory = &memory;
  fixture.Run();

  const std::vector<TPageOutcome> outcomes = fixture.Recorder.Outcomes();
  ASSERT_EQ(outcomes.size(), 12u);
  EXPECT_EQ(outcomes[0].Result, "blacklisted");
  EXPECT_EQ(outcomes[1].Result, "judged recently");
  EXPECT_EQ(fixture.Pages->Fetched(web.Addresses[0]) + fixture.Pages->Fetched(web.Addresses[1]), 0);
  const TLiveRunSummary summary = fixture.Recorder.Summary();
  EXPECT_EQ(summary.Blacklisted, 1u);
  EXPECT_EQ(summary.JudgedRecently, 1u);
  EXPECT_NE(SummaryText(summary).find(", 1 blacklisted, 1 page judged recently skipped"), std::string::npos);

  std::map<std::string, bool> isNew;
  for (const TLiveResult& row : fixture.Recorder.Results()) {
    ASSERT_TRUE(row.IsNew.has_value());
    isNew[row.Url] = *row.IsNew;
  }
  EXPECT_FALSE(isNew.at(web.Addresses[3]));
  EXPECT_TRUE(isNew.at(web.Addresses[4]));

  // Kept (with every figure), nofollow and robots.txt are remembered;
  // failures and skips are tried again next time.
  std::map<std::string, std::string> remembered;
  for (const auto& [outcome, row] : memory.Remembered) {
    EXPECT_TRUE(remembered.emplace(outcome.Address, outcome.Result).second) << outcome.Address;
    EXPECT_EQ(row.has_value(), outcome.Result == "kept");
    if (row) {
      EXPECT_FALSE(row->AuthorityAwaited) << outcome.Address;
    }
  }
  std::map<std::string, std::string> expected;
  for (std::size_t i = 2; i < 12; ++i) {
    if (outcomes[i].Result.starts_with("failed: ")) continue;
    expected[web.Addresses[i]] = outcomes[i].Result;
  }
  EXPECT_EQ(remembered, expected);
  EXPECT_EQ(memory.Flushes, 1);
}

TEST(LiveRun, AFootprintShapesTheQuery) {
  EXPECT_EQ(FootprintQuery("", "blue widgets"), "\"blue widgets\" \"comment\" \"powered by wordpress\"");
  EXPECT_EQ(FootprintQuery("\"{keyword}\" inurl:blog \"{keyword} tips\"", "tea"), "\"tea\" inurl:blog \"tea tips\"");
  EXPECT_EQ(FootprintQuery("\"leave a reply\"", "tea"), "tea \"leave a reply\"");
  EXPECT_EQ(FootprintQuery("{keyword", "tea"), "tea {keyword");
  TRunFixture fixture(MakeWeb(3), 2);
  TLiveRun run(fixture.Parts, {"tea", "", 1, "{keyword} \"add comment\""}, fixture.Recorder);
  run.Start();
  run.Wait();
  EXPECT_EQ(fixture.Harvest->LastQuery, "tea \"add comment\"");
  for (const TLiveResult& row : fixture.Recorder.Results()) {
    EXPECT_EQ(row.Footprint, "{keyword} \"add comment\"");
    EXPECT_FALSE(row.IsNew.has_value());  // no memory: nobody knows
  }
}

}  // namespace
}  // namespace halvane::liverun
