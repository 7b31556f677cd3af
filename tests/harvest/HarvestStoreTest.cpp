// halvane-harvest with a store: runs and verdicts recorded, rows marked new,
// --new-only, the blacklist, footprints, judge --urls, and the verbs that
// only read or edit the store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "live/RegistrableDomain.h"
#include "store/OpenStore.h"
#include "tests/harvest/HarvestFixture.h"
#include "tools/harvest/RecheckCommand.h"
#include "tools/harvest/StoreVerbs.h"

namespace halvane::harvest {
namespace {

namespace fs = std::filesystem;

class HarvestStore : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "halvane-harvest-store-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    Folder = pattern;
    Store = store::OpenStore(Folder + "/halvane.db");
  }
  void TearDown() override {
    Store.reset();
    fs::remove_all(Folder);
  }
  THarvestOptions Options(std::vector<std::string> args) {
    args.push_back("--quiet");
    return *Parse(args);
  }
  std::string Folder;
  std::unique_ptr<store::TStore> Store;
};

const std::string kNewHeader =
    "\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\","
    "\"New\"\r\n";

TEST_F(HarvestStore, RemembersEveryVerdictAndSaysWhichRowsAreNew) {
  THarvestFixture first;
  EXPECT_EQ(first.Run(Options({"--keyword", "blue", "--domain", "mine.com"}), {}, Store.get()), kHarvestFinished);
  EXPECT_EQ(first.Out.str(),
            kNewHeader + "\"4\",\"https://a.example.org/1\",\"Open\",\"None yet\",\"No\",\"-\",\"-\",\"Yes\"\r\n" +
                "\"7\",\"https://b.example.net/2\",\"Open\",\"None yet\",\"Yes\",\"mine\",\"1,234\",\"Yes\"\r\n" +
                "\"-\",\"https://c.example.com/3\",\"Open\",\"None yet\",\"No\",\"-\",\"-\",\"Yes\"\r\n");
  const std::vector<store::TVerdictRecord> verdicts = Store->Verdicts("https://b.example.net/2");
  ASSERT_EQ(verdicts.size(), 1u);
  EXPECT_EQ(verdicts[0].Authority, 7);
  EXPECT_EQ(verdicts[0].TrafficRank, 1234);
  EXPECT_EQ(verdicts[0].HasYourLink, true);
  EXPECT_EQ(verdicts[0].Anchor, "mine");
  // The user's link found by the run is recorded for link monitoring.
  ASSERT_EQ(Store->Links().size(), 1u);
  EXPECT_EQ(Store->Links()[0].Address, "https://b.example.net/2");
  const std::vector<store::TRunRecord> runs = Store->Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Keywords, std::vector<std::string>{"blue"});
  EXPECT_EQ(runs[0].Engine, "FakeEngine");
  EXPECT_TRUE(runs[0].Ended.has_value());
  EXPECT_EQ(runs[0].Counts, (store::TRunCounts{3, 3, 3, 0}));

  THarvestFixture again;
  EXPECT_EQ(again.Run(Options({"--keyword", "blue"}), {}, Store.get()), kHarvestFinished);
  EXPECT_NE(again.Out.str().find("\"No\"\r\n"), std::string::npos);
  EXPECT_EQ(again.Out.str().find("\"Yes\"\r\n"), std::string::npos) << again.Out.str();

  THarvestFixture newOnly;
  newOnly.Run(*Parse({"--keyword", "blue", "--new-only"}), {}, Store.get());
  EXPECT_EQ(newOnly.Out.str(), kNewHeader);
  EXPECT_NE(newOnly.Err.str().find("0 rows from 3 pages, 3 pages judged recently skipped"), std::string::npos)
      << newOnly.Err.str();
  EXPECT_EQ(Store->Runs().back().Counts, (store::TRunCounts{3, 0, 0, 3}));
}

TEST_F(HarvestStore, ABlacklistedDomainIsNeverFetched) {
  ASSERT_TRUE(Store->AddToBlacklist("example.net"));
  THarvestFixture fixture;
  const std::string report = Folder + "/report.csv";
  EXPECT_EQ(fixture.Run(Options({"--keyword", "blue", "--report", report}), {}, Store.get()), kHarvestFinished);
  EXPECT_EQ(fixture.Out.str().find("b.example.net"), std::string::npos);
  EXPECT_NE(ReadFile(report).find("\"https://b.example.net/2\",\"\",\"blacklisted\""), std::string::npos)
      << ReadFile(report);
  EXPECT_FALSE(Store->LastJudged("https://b.example.net/2").has_value());
}

TEST_F(HarvestStore, EveryKeywordRunsWithEveryFootprint) {
  const std::string footprints = Folder + "/footprints.txt";
  std::ofstream(footprints) << "# mine\n\"{keyword}\" \"leave a reply\"\n\n{keyword} inurl:blog\n";
  THarvestFixture fixture;
  THarvestOptions options = Options({"--keyword", "x", "--footprints", footprints});
  options.Keywords = {"red", "green"};
  EXPECT_EQ(fixture.Run(options, {}, Store.get()), kHarvestFinished);
  EXPECT_EQ(fixture.Harvest->Starts.load(), 4);
  EXPECT_EQ(fixture.Harvest->LastQuery, "green inurl:blog");
  const std::string text = fixture.Out.str();
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "\"Keyword\",\"Footprint\",\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\","
            "\"Anchor Name\",\"Traffic Rank\",\"New\"");
  // One keyword's footprints found the same three pages: each shows once.
  std::size_t rows = 0;
  for (std::size_t at = text.find("\r\n"); (at = text.find("\r\n", at + 2)) != std::string::npos;) ++rows;
  EXPECT_EQ(rows, 6u);
  EXPECT_NE(text.find("\"red\",\"\"\"{keyword}\"\" \"\"leave a reply\"\"\""), std::string::npos) << text;
  EXPECT_EQ(Store->Runs()[0].Footprints.size(), 2u);
}

TEST_F(HarvestStore, JudgeTakesTheAddressesOfAFile) {
  const std::string urls = Folder + "/urls.txt";
  std::ofstream(urls) << "# from my notes\nhttps://c.example.com/3\n  https://a.example.org/1  \n";
  THarvestFixture fixture;
  THarvestOptions options = Options({"judge", "--urls", urls});
  ASSERT_EQ(options.Urls, (std::vector<std::string>{"https://c.example.com/3", "https://a.example.org/1"}));
  EXPECT_EQ(fixture.Run(options, {}, Store.get()), kHarvestFinished);
  EXPECT_EQ(fixture.Out.str(),
            kNewHeader + "\"-\",\"https://c.example.com/3\",\"Open\",\"None yet\",\"No\",\"-\",\"-\",\"Yes\"\r\n" +
                "\"4\",\"https://a.example.org/1\",\"Open\",\"None yet\",\"No\",\"-\",\"-\",\"Yes\"\r\n");
  EXPECT_EQ(Store->Counts().Pages, 2);
}

TEST_F(HarvestStore, BlacklistLinksAndHistoryWorkOnTheStoreAlone) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunBlacklist(*Parse({"blacklist", "add", "Spam.example", "spam.example"}), *Store, out, err),
            kHarvestFinished);
  EXPECT_EQ(err.str(), "Spam.example: added\nspam.example: already on the blacklist\n");
  EXPECT_TRUE(Store->IsBlacklisted("www.spam.example"));
  out.str("");
  EXPECT_EQ(RunBlacklist(*Parse({"blacklist", "list"}), *Store, out, err), kHarvestFinished);
  EXPECT_EQ(out.str().substr(0, 13), "spam.example\t");
  EXPECT_EQ(RunBlacklist(*Parse({"blacklist", "remove", "spam.example"}), *Store, out, err), kHarvestFinished);
  EXPECT_FALSE(Store->IsBlacklisted("www.spam.example"));

  err.str("");
  EXPECT_EQ(RunLinks(*Parse({"links", "add", "https://blog.example/post/", "not an address"}), *Store, out, err),
            kHarvestBadArguments);
  EXPECT_EQ(Store->Counts().Links, 0);  // a typo records nothing
  EXPECT_EQ(RunLinks(*Parse({"links", "add", "HTTPS://Blog.Example/post/"}), *Store, out, err), kHarvestFinished);
  ASSERT_EQ(Store->Links().size(), 1u);
  EXPECT_EQ(Store->Links()[0].Host, "blog.example");

  THarvestFixture fixture;
  fixture.Run(Options({"--keyword", "blue"}), {}, Store.get());
  out.str("");
  EXPECT_EQ(RunHistory(*Parse({"history"}), *Store, out, err), kHarvestFinished);
  const std::string csv = out.str();
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "\"Address\",\"Final Address\",\"First Seen\",\"Last Judged\",\"Result\",\"Comments\",\"Comment Links\","
            "\"Has Your Link\",\"Anchor Name\",\"Authority\",\"Traffic Rank\"");
  EXPECT_NE(csv.find("\"https://b.example.net/2\",\"https://b.example.net/2\","), std::string::npos);
  // The row's cells read as the results list writes them.
  EXPECT_NE(csv.find("\"kept\",\"Open\",\"None yet\",\"No\",\"-\",\"7\",\"1,234\""), std::string::npos) << csv;
  out.str("");
  EXPECT_EQ(RunHistory(*Parse({"history", "--since", "2999-01-01"}), *Store, out, err), kHarvestFinished);
  EXPECT_EQ(out.str().find("example"), std::string::npos);
}

// A comment page as a blog shows it, with the user's link when rel is set.
std::string CommentPage(const std::string& rel) {
  const std::string link = rel == "none" ? "" : "<a href='https://mine.example/' " + rel + ">Mine</a>";
  return "<html><head><meta name='generator' content='WordPress 6.4'></head><body><ol class='comment-list'>"
         "<li id='comment-2' class='comment'><div class='comment-content'><p>Nice. " + link +
         "</p></div></li></ol></body></html>";
}

TEST_F(HarvestStore, RecheckSaysWhatBecameOfEveryLinkAndWhatChanged) {
  const std::vector<std::string> pages = {"https://a.example/1", "https://b.example/2", "https://c.example/3",
                                          "https://d.example/4", "https://e.example/5"};
  for (const std::string& page : pages) Store->AddLink(page, live::HostOfUrl(page));
  TFakeFetcher fetcher(3);
  fetcher.Pages[pages[0]] = {Answer(200, CommentPage("rel='ugc'")), 0};
  fetcher.Pages[pages[1]] = {Answer(200, CommentPage("rel='nofollow ugc'")), 0};
  fetcher.Pages[pages[2]] = {Answer(200, CommentPage("none")), 0};
  // pages[3] is unknown to the fetcher: HTTP 404.
  live::TLiveResponse timeout;
  timeout.Error = live::TLiveError::Timeout;
  timeout.Message = "timed out after 30 s";
  fetcher.Pages[pages[4]] = {timeout, 0};

  std::ostringstream out;
  std::ostringstream err;
  const THarvestOptions options = *Parse({"recheck", "--domain", "mine.example"});
  EXPECT_EQ(RunRecheck(options, fetcher, *Store, {out, err, TProgressReport::TStyle::Lines}, {}), kHarvestLinksLost);
  EXPECT_EQ(out.str(),
            "present, followed\thttps://a.example/1\tfirst check\n"
            "present, nofollow\thttps://b.example/2\tfirst check\n"
            "missing\thttps://c.example/3\tfirst check\n"
            "page gone (HTTP 404)\thttps://d.example/4\tfirst check\n"
            "failed: timed out after 30 s\thttps://e.example/5\tfirst check\n");
  EXPECT_NE(err.str().find("5 pages checked: 1 followed, 1 nofollow, 1 missing, 1 gone, 1 failed"), std::string::npos)
      << err.str();

  // A week later the blog turned the first link nofollow; the rest stayed.
  fetcher.Pages[pages[0]] = {Answer(200, CommentPage("rel='nofollow'")), 0};
  out.str("");
  EXPECT_EQ(RunRecheck(options, fetcher, *Store, {out, err, TProgressReport::TStyle::Lines}, {}), kHarvestLinksLost);
  const std::string text = out.str();
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "present, nofollow\thttps://a.example/1\twas present, followed (" +
                TimeText(Store->Links()[0].LastCheck->CheckedAt) + ")");
  EXPECT_NE(text.find("missing\thttps://c.example/3\n"), std::string::npos);  // unchanged: nothing said

  // Only followed links: 0; a page that cannot be checked: 1.
  std::unique_ptr<store::TStore> clean = store::OpenStore(Folder + "/clean.db");
  clean->AddLink(pages[0], "a.example");
  fetcher.Pages[pages[0]] = {Answer(200, CommentPage("rel='ugc'")), 0};
  EXPECT_EQ(RunRecheck(options, fetcher, *clean, {out, err, TProgressReport::TStyle::Quiet}, {}), kHarvestFinished);
  clean->AddLink(pages[4], "e.example");
  EXPECT_EQ(RunRecheck(options, fetcher, *clean, {out, err, TProgressReport::TStyle::Quiet}, {}),
            kHarvestSourceFailed);
  EXPECT_EQ(RunRecheck(Options({"recheck"}), fetcher, *clean, {out, err, TProgressReport::TStyle::Quiet}, {}),
            kHarvestBadArguments);
}

TEST_F(HarvestStore, RecheckStopsAtCtrlCAndRecordsNothing) {
  Store->AddLink("https://a.example/1", "a.example");
  TFakeFetcher fetcher(1);
  // Answers only when aborted.
  fetcher.Pages["https://a.example/1"] = {Answer(200, CommentPage("rel='ugc'")), 3600 * 1000};
  std::ostringstream out;
  std::ostringstream err;
  const std::atomic<bool> interrupted{true};
  EXPECT_EQ(RunRecheck(Options({"recheck", "--domain", "mine.example"}), fetcher, *Store,
                       {out, err, TProgressReport::TStyle::Quiet}, interrupted),
            kHarvestInterrupted);
  EXPECT_EQ(err.str(), "halvane-harvest: stopped; nothing recorded\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_FALSE(Store->Links()[0].LastCheck);
}

TEST(HarvestArguments, VerbsTakeTheirOwnOptionsAndSayWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"fetch"}, "unknown verb 'fetch' (known: search, judge, blacklist, links, recheck, history)"},
      {{"judge"}, "judge needs --urls FILE"},
      {{"judge", "--keyword", "x"}, "unknown argument '--keyword'"},
      {{"judge", "--urls", "/nonexistent/u.txt"}, "cannot read addresses file /nonexistent/u.txt"},
      {{"blacklist"}, "blacklist wants add, remove or list"},
      {{"blacklist", "add"}, "blacklist add needs a domain"},
      {{"blacklist", "list", "x.example"}, "blacklist list takes no domain"},
      {{"links", "remove", "https://a.example/"}, "links wants add and the addresses of your comments"},
      {{"history", "--since", "2026-02-30"}, "--since wants a date as YYYY-MM-DD, not '2026-02-30'"},
      {{"history", "--since", "yesterday"}, "--since wants a date as YYYY-MM-DD, not 'yesterday'"},
      {{"--keyword", "x", "--days", "0"}, "--days wants a number from 1 to 36500, not '0'"},
      {{"--keyword", "x", "--footprint", " "}, "--footprint is empty"},
      {{"--keyword", "x", "--footprint", "a", "--footprints", "f"}, "give one --footprint or one --footprints"},
      {{"--keyword", "x", "--db", ""}, "--db needs a file name or a postgresql:// address"},
  };
  for (const auto& [args, message] : cases) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << message;
    EXPECT_EQ(error, message);
  }
  const auto since = Parse({"history", "--since", "2026-12-01", "--json", "h.json"});
  ASSERT_TRUE(since);
  EXPECT_EQ(since->Since, 1796083200);
  const auto newOnly = Parse({"--keyword", "x", "--new-only", "--days", "7", "--db", "s.db"});
  ASSERT_TRUE(newOnly);
  EXPECT_TRUE(newOnly->NewOnly);
  EXPECT_EQ(newOnly->Days, 7);
  EXPECT_EQ(newOnly->Db, "s.db");
  EXPECT_TRUE(Parse({"recheck", "--help"})->Help);
}

}  // namespace
}  // namespace halvane::harvest
