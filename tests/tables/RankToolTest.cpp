// halvane-rank as a user runs it: what it prints, its exit status, and that
// the index it builds is the one the program uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tools/rank/RankExitCodes.h"
#include "tools/sim/TTrancoDownload.h"
#include "tests/tables/TableFiles.h"

namespace halvane::tables {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using test::TTempDir;

struct TRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

TRun RunRank(const TTempDir& dir, const std::string& args) {
  const std::string out = dir / "out.txt";
  const std::string err = dir / "err.txt";
  const std::string command = std::string(HALVANE_RANK_TOOL) + " " + args + " >" + out + " 2>" + err;
  const int rc = std::system(command.c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, test::ReadFile(out), test::ReadFile(err)};
}

TEST(RankTool, IndexesATableOnceAndSaysWhatItHolds) {
  TTempDir dir;
  const std::string table = dir / "authority.csv";
  test::WriteFile(table, "domain,authority\nexample.com,3\nexample.com,5\nother.org,7\n");
  const std::string cache = "--cache " + (dir / "cache") + " ";
  const TRun first = RunRank(dir, cache + "index " + table);
  EXPECT_EQ(first.Status, 0) << first.Err;
  EXPECT_THAT(first.Out, HasSubstr(table + ": authority table, 2 domains\nindex: " + dir.Path() + "/cache/authority-"));
  EXPECT_THAT(first.Out, MatchesRegex("(.|\n)*\nbuilt in [0-9]+\\.[0-9][0-9] s \\(no index yet\\)\n"));
  const TRun second = RunRank(dir, cache + "index " + table);
  EXPECT_THAT(second.Out, HasSubstr("\nup to date\n"));
}

TEST(RankTool, LooksDomainsUpAsTheProgramShowsThem) {
  TTempDir dir;
  std::string csv;
  for (int rank = 1; rank <= 20000; ++rank) csv += std::to_string(rank) + ",site" + std::to_string(rank) + ".co.uk\r\n";
  test::WriteFile(dir / "top-1m.csv.zip", sim::ZipOneFile("top-1m.csv", csv));
  const std::string cache = "--cache " + (dir / "cache") + " ";
  const TRun run = RunRank(dir, cache + "lookup " + (dir / "top-1m.csv.zip") +
                                    " site7.co.uk www.SITE12345.co.uk nowhere.example 127.0.0.2");
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "site7.co.uk\t7\nwww.SITE12345.co.uk\t12,345\nnowhere.example\t-\n127.0.0.2\t-\n");
  EXPECT_THAT(run.Err, HasSubstr("indexed " + (dir / "top-1m.csv.zip") + " (no index yet)"));

  test::WriteFile(dir / "a.csv", "\"Rank\",\"Domain\",\"Extension\",\"Open Page Rank\",\"Referring Domains\"\n"
                                 "\"1\",\"example.com\",\"com\",\"6.50\",\"1\"\n");
  const TRun authority = RunRank(dir, cache + "lookup " + (dir / "a.csv") + " www.example.com example.org");
  EXPECT_EQ(authority.Out, "www.example.com\t7\nexample.org\t-\n");
}

TEST(RankTool, CitesATrancoListWithTheIdItWasDownloadedWith) {
  TTempDir dir;
  const std::string list = dir / "tranco.csv";
  test::WriteFile(list, "1,example.com\n2,example.org\n");
  test::WriteFile(dir / "tranco.csv.id", "id Z3VXG\ndate 2026-12-09\n");
  const TRun run = RunRank(dir, "--cache " + (dir / "cache") + " index " + list);
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_THAT(run.Out, HasSubstr("\ncite: V. Le Pochat, "));
  EXPECT_THAT(run.Out, HasSubstr(" NDSS 2019; Tranco list generated on 2026-12-09, available at "
                                 "https://tranco-list.eu/list/Z3VXG.\n"));
  test::WriteFile(dir / "tranco.csv.id", "id <html>\n");
  const TRun damaged = RunRank(dir, "--cache " + (dir / "cache") + " index " + list);
  EXPECT_EQ(damaged.Status, 0) << damaged.Err;
  EXPECT_THAT(damaged.Err, HasSubstr("halvane-rank: " + list + ".id is damaged: not the id and date of a Tranco list; "
                                     "download the list again\n"));
  EXPECT_THAT(damaged.Out, MatchesRegex("(.|\n)*NDSS 2019; Tranco list of [0-9]{4}-[0-9]{2}-[0-9]{2}\\.\n"));
}

TEST(RankTool, RebuildsADamagedIndexAndSaysSo) {
  TTempDir dir;
  std::string csv;
  for (int rank = 1; rank <= 20000; ++rank) csv += std::to_string(rank) + ",site" + std::to_string(rank) + ".org\n";
  test::WriteFile(dir / "tranco.csv", csv);
  const std::string cache = "--cache " + (dir / "cache") + " ";
  ASSERT_EQ(RunRank(dir, cache + "index " + (dir / "tranco.csv")).Status, 0);
  const std::string indexPath = std::filesystem::directory_iterator(dir / "cache")->path().string();
  const std::string good = test::ReadFile(indexPath);
  // One byte of the last block: the one holding site9999.org's rank.
  std::string bytes = good;
  bytes[bytes.size() - 2000] ^= 0x10;
  test::WriteFile(indexPath, bytes);
  const TRun lookup = RunRank(dir, cache + "lookup " + (dir / "tranco.csv") + " site9999.org site12346.org");
  EXPECT_EQ(lookup.Status, 0) << lookup.Err;
  EXPECT_EQ(lookup.Out, "site9999.org\t9,999\nsite12346.org\t12,346\n");
  EXPECT_THAT(lookup.Err, HasSubstr("halvane-rank: index " + indexPath + " was damaged (a block did not check); "
                                    "rebuilt it from " + (dir / "tranco.csv") + "\n"));
  EXPECT_EQ(test::ReadFile(indexPath), good);

  test::WriteFile(indexPath, bytes);
  const TRun index = RunRank(dir, cache + "index " + (dir / "tranco.csv"));
  EXPECT_EQ(index.Status, 0) << index.Err;
  EXPECT_THAT(index.Out, MatchesRegex("(.|\n)*built in [0-9.]+ s \\(index .* is damaged \\(block [0-9]+ does not "
                                      "check\\)\\)\n(.|\n)*"));
  EXPECT_EQ(test::ReadFile(indexPath), good);
}

TEST(RankTool, ReportsBrokenTablesAndBadCommandLines) {
  TTempDir dir;
  const std::string cache = "--cache " + (dir / "cache") + " ";
  const TRun broken = RunRank(dir, cache + "index " + test::DataFile("opr-bad-figure.csv"));
  EXPECT_EQ(broken.Status, 1);
  EXPECT_THAT(broken.Err, HasSubstr("halvane-rank: " + test::DataFile("opr-bad-figure.csv") +
                                    " line 4: Open Page Rank \"1O.50\" is no figure 0..10\n"));
  EXPECT_EQ(broken.Out, "");
  const TRun missing = RunRank(dir, cache + "lookup " + (dir / "none.csv") + " a.com");
  EXPECT_EQ(missing.Status, 1);
  EXPECT_THAT(missing.Err, HasSubstr("cannot open " + (dir / "none.csv") + ": No such file or directory"));
  ASSERT_EQ(mkfifo((dir / "fifo.csv").c_str(), 0600), 0);
  const TRun fifo = RunRank(dir, cache + "lookup " + (dir / "fifo.csv") + " a.com");
  EXPECT_EQ(fifo.Status, 1);
  EXPECT_EQ(fifo.Err, "halvane-rank: " + (dir / "fifo.csv") + ": not a regular file (a FIFO)\n");
  for (const std::string args : {"", "index", "lookup table.csv", "frobnicate table.csv", "index a b"}) {
    const TRun usage = RunRank(dir, args);
    EXPECT_EQ(usage.Status, 2) << args;
    EXPECT_THAT(usage.Err, HasSubstr("usage: halvane-rank")) << args;
  }
}

// Help wins wherever it stands, before a verb reads or writes anything.
TEST(RankTool, HelpShowsTheUsageEveryVerbAndEveryExitCode) {
  TTempDir dir;
  for (const std::string args : {"--help", "-h", "--cache /nonexistent index --help", "lookup none.csv a.com -h",
                                 "download --sources /nonexistent/sources.ini -h", "test-page none.html --help"}) {
    const TRun run = RunRank(dir, args);
    EXPECT_EQ(run.Status, 0) << args;
    EXPECT_EQ(run.Err, "") << args;
    EXPECT_THAT(run.Out, ::testing::StartsWith("usage: halvane-rank [--cache DIR] index TABLE\n")) << args;
    for (const std::string verb : {"index", "lookup", "test-page", "download"}) {
      EXPECT_THAT(run.Out, HasSubstr("\n  " + verb + " ")) << args << " lacks " << verb;
    }
    EXPECT_THAT(run.Out, HasSubstr("\nexit codes:\n")) << args;
    for (const int code : {rank::kRankDone, rank::kRankFailed, rank::kRankBadArguments}) {
      EXPECT_THAT(run.Out, HasSubstr("\n  " + std::to_string(code) + "    ")) << args << " lacks " << code;
    }
  }
}

TEST(RankTool, JudgesASavedPageWithTheModernTest) {
  TTempDir dir;
  const std::string comment =
      "<ol class=\"comment-list\"><li id=\"comment-2\"><b class=\"fn\"><a href='https://www.MyShop.example/deals' "
      "rel='external ugc' class='url'>My  <b>Shop</b>\nDeals</a></b> <a href='https://blog.example/p/#comment-2' "
      "rel='nofollow'>January 1</a></li></ol>\n";
  test::WriteFile(dir / "kept.html",
                  "<html><head><meta name=\"generator\" content=\"WordPress 6.4.2\">"
                  "<link rel=\"canonical\" href=\"https://blog.example/p/\"></head><body>\n" + comment +
                  "<form action=\"https://blog.example/wp-comments-post.php\" method=\"post\">"
                  "<textarea name=\"comment\"></textarea></form></body></html>\n");
  const TRun kept = RunRank(dir, "test-page " + (dir / "kept.html") + " myshop.example");
  EXPECT_EQ(kept.Status, 0) << kept.Err;
  EXPECT_EQ(kept.Out,
            "Verdict: kept\nWordPress: yes\nComments: Open\nComment Links: Followed (1 followed, 0 nofollow)\n"
            "Has Your Link: Yes\nAnchor Name: My Shop Deals\nPage host: blog.example (from the canonical link)\n");
  // Another host for the page makes its permalink a commenter's nofollow link.
  const TRun elsewhere =
      RunRank(dir, "test-page " + (dir / "kept.html") + " --url https://mirror.example/p/ https://myshop.example/");
  EXPECT_EQ(elsewhere.Status, 0) << elsewhere.Err;
  EXPECT_THAT(elsewhere.Out, HasSubstr("\nComment Links: Mixed (1 followed, 1 nofollow)\nHas Your Link: Yes\n"));
  EXPECT_THAT(elsewhere.Out, HasSubstr("\nPage host: mirror.example (from --url)\n"));

  test::WriteFile(dir / "nofollow.html",
                  "<html><body><a href='/wp-content/x.css'>x</a><div id='comment-3'>"
                  "<a href='https://someone.example/' rel='ugc external NOFOLLOW'>someone</a></div></body></html>");
  const TRun refused = RunRank(dir, "test-page " + (dir / "nofollow.html"));
  EXPECT_EQ(refused.Status, 0) << refused.Err;
  EXPECT_THAT(refused.Out, ::testing::StartsWith("Verdict: not kept: every comment link is nofollow"));
  EXPECT_THAT(refused.Out, HasSubstr("\nWordPress: yes\nComments: Closed\nComment Links: nofollow (0 followed, "
                                     "1 nofollow)\nHas Your Link: No\nAnchor Name: -\n"
                                     "Page host: unknown (no canonical link; give --url ADDRESS)\n"));

  const TRun missing = RunRank(dir, "test-page " + (dir / "none.html"));
  EXPECT_EQ(missing.Status, 1);
  EXPECT_THAT(missing.Err, HasSubstr("cannot judge " + (dir / "none.html")));
  EXPECT_THAT(missing.Err, HasSubstr("No such file or directory"));  // the reason, not only the file
  const TRun folder = RunRank(dir, "test-page " + dir.Path());
  EXPECT_EQ(folder.Status, 1);
  EXPECT_THAT(folder.Err, HasSubstr("not a regular file"));
  EXPECT_EQ(RunRank(dir, "test-page").Status, 2);
  EXPECT_EQ(RunRank(dir, "test-page a b c").Status, 2);
  EXPECT_EQ(RunRank(dir, "test-page a b --url").Status, 2);
  const TRun badUrl = RunRank(dir, "test-page " + (dir / "kept.html") + " --url mirror");
  EXPECT_EQ(badUrl.Status, 2);
  EXPECT_THAT(badUrl.Err, HasSubstr("--url mirror is no http(s) address with a host"));
}

}  // namespace
}  // namespace halvane::tables
