// halvane-rank as a user runs it: what it prints, its exit status, and that
// the index it builds is the one the program uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

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

TEST(RankTool, ReportsBrokenTablesAndBadCommandLines) {
  TTempDir dir;
  const std::string cache = "--cache " + (dir / "cache") + " ";
  const TRun broken = RunRank(dir, cache + "index " + test::DataFile("opr-bad-figure.csv"));
  EXPECT_EQ(broken.Status, 1);
  EXPECT_THAT(broken.Err, HasSubstr("halvane-rank: " + test::DataFile("opr-bad-figure.csv") +
                                    " line 4: Open Page Rank \"10.50\" is no figure 0..10\n"));
  EXPECT_EQ(broken.Out, "");
  const TRun missing = RunRank(dir, cache + "lookup " + (dir / "none.csv") + " a.com");
  EXPECT_EQ(missing.Status, 1);
  EXPECT_THAT(missing.Err, HasSubstr("cannot open " + (dir / "none.csv") + ": No such file or directory"));
  for (const std::string args : {"", "index", "lookup table.csv", "frobnicate table.csv", "index a b"}) {
    const TRun usage = RunRank(dir, args);
    EXPECT_EQ(usage.Status, 2) << args;
    EXPECT_THAT(usage.Err, HasSubstr("usage: halvane-rank")) << args;
  }
}

TEST(RankTool, JudgesASavedPageWithTheModernTest) {
  TTempDir dir;
  test::WriteFile(dir / "kept.html",
                  "<html><head><meta name=\"generator\" content=\"WordPress 6.4.2\"></head><body>\n"
                  "<p>Thanks, <a href='https://www.MyShop.example/deals' rel='external ugc'>My  <b>Shop</b>\n"
                  "Deals</a></p>\n<form action=\"https://blog.example/wp-comments-post.php\" method=\"post\">"
                  "<textarea name=\"comment\"></textarea></form></body></html>\n");
  const TRun kept = RunRank(dir, "test-page " + (dir / "kept.html") + " myshop.example");
  EXPECT_EQ(kept.Status, 0) << kept.Err;
  EXPECT_EQ(kept.Out,
            "Verdict: kept\nWordPress: yes\nFollow links only: yes\nComments: Open\nHas Your Link: Yes\n"
            "Anchor Name: My Shop Deals\n");

  test::WriteFile(dir / "nofollow.html",
                  "<html><body><a href='/wp-content/x.css'>x</a>"
                  "<a href='https://someone.example/' rel='ugc external NOFOLLOW'>someone</a></body></html>");
  const TRun refused = RunRank(dir, "test-page " + (dir / "nofollow.html"));
  EXPECT_EQ(refused.Status, 0) << refused.Err;
  EXPECT_THAT(refused.Out, ::testing::StartsWith("Verdict: not kept: "));
  EXPECT_THAT(refused.Out, HasSubstr("\nWordPress: yes\nFollow links only: no\nComments: Closed\n"
                                     "Has Your Link: No\nAnchor Name: -\n"));

  const TRun missing = RunRank(dir, "test-page " + (dir / "none.html"));
  EXPECT_EQ(missing.Status, 1);
  EXPECT_THAT(missing.Err, HasSubstr("cannot read " + (dir / "none.html")));
  EXPECT_THAT(missing.Err, HasSubstr("No such file or directory"));  // the reason, not only the file
  EXPECT_EQ(RunRank(dir, "test-page").Status, 2);
  EXPECT_EQ(RunRank(dir, "test-page a b c").Status, 2);
}

}  // namespace
}  // namespace halvane::tables
