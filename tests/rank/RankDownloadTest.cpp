// halvane-rank download against the simulated Tranco service: the list is
// checked before it replaces the old one, and its id (or, without one, its
// date) is kept beside it for the citation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TSimSuite.h"
#include "tests/support/ToolRun.h"
#include "tools/sim/TSimWeb.h"
#include "tools/sim/TTrancoDownload.h"

namespace halvane::rank {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr char kSmall[] = HALVANE_TEST_DATA "/sim/small.conf";
constexpr const char* kPaper =
    "V. Le Pochat, T. Van Goethem, S. Tajalizadehkhoob, M. Korczynski and W. Joosen, \"Tranco: A Research-Oriented "
    "Top Sites Ranking Hardened Against Manipulation\", NDSS 2019";

class RankDownload : public test::TSimSuite<kSmall> {
 protected:
  void SetUp() override {
    FDir = fs::path(::testing::TempDir()) /
           ("halvane_rank_download_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(::getpid()));
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override {
    Sim().ClearFaults();
    fs::remove_all(FDir);
  }

  // A sources file whose list comes from path on the simulator.
  std::string Sources(const std::string& path) const {
    const std::string file = (FDir / "sources.ini").string();
    std::ofstream(file) << "[ranking]\ntranco-url = " << Sim().ServiceUrl() << path
                        << "\n[network]\nhost-delay-ms = 0\n";
    return file;
  }
  test::TToolRun Rank(const std::string& args) const {
    return test::RunTool("XDG_CACHE_HOME=" + (FDir / "cache").string() + " " + HALVANE_RANK_TOOL + " " + args);
  }

  fs::path FDir;
};

TEST_F(RankDownload, KeepsTheListWithItsIdAndCitesIt) {
  const std::string list = (FDir / "lists" / "tranco.zip").string();
  const test::TToolRun run = Rank("download --sources " + Sources("/top-1m.csv.zip") + " " + list);
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string id = sim::TTrancoDownload(Web()).ListId();
  EXPECT_EQ(run.Out, "saved " + list + "\ncite: " + kPaper + "; Tranco list generated on 2026-12-09, available at " +
                         "https://tranco-list.eu/list/" + id + ".\n");
  EXPECT_THAT(run.Err, HasSubstr("downloading " + Sim().ServiceUrl() + "/top-1m.csv.zip to " + list));
  // The list the simulator serves (a zip's bytes differ only in its time stamps).
  EXPECT_EQ(test::ReadFileText(list).size(), sim::TTrancoDownload(Web()).Zip().size());
  const test::TToolRun lookup = Rank("lookup " + list + " " + sim::TSimWeb::SiteIp(0));
  EXPECT_EQ(lookup.Out, sim::TSimWeb::SiteIp(0) + "\t" + sim::TTrancoDownload(Web()).ShownSiteRank(0) + "\n") << lookup.Err;
  EXPECT_EQ(test::ReadFileText(list + ".id"), "id " + id + "\ndate 2026-12-09\n");
  EXPECT_FALSE(fs::exists(list + ".part"));
}

TEST_F(RankDownload, WithoutAnIdTheDateStandsForIt) {
  ASSERT_TRUE(Sim().SetFaults("/top-1m-id status:404\n"));
  const std::string list = (FDir / "tranco.csv").string();
  std::ofstream(list + ".id") << "id OLD01\ndate 2020-01-01\n";  // an older list's
  const test::TToolRun run = Rank("download --sources " + Sources("/top-1m.csv") + " " + list);
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(test::ReadFileText(list + ".id"), "date 2026-12-09\n");
  EXPECT_THAT(run.Out, HasSubstr("; Tranco list generated on 2026-12-09.\n"));
}

TEST_F(RankDownload, ABadDownloadLeavesTheOldListAsItWas) {
  const std::string list = (FDir / "tranco.csv").string();
  const std::string old = "1,old.example\r\n";
  std::ofstream(list) << old;
  std::ofstream(list + ".id") << "id OLD01\n";
  for (const std::string path : {"/no-such-list.zip", "/_sim/body?size=3000"}) {
    const test::TToolRun run = Rank("download --sources " + Sources(path) + " " + list);
    EXPECT_EQ(run.Status, 1) << path << ": " << run.Err;
    EXPECT_THAT(run.Err, HasSubstr("halvane-rank: the download failed: ")) << path;
    EXPECT_THAT(run.Err, HasSubstr("; the list at " + list + " is unchanged")) << path;
    EXPECT_EQ(test::ReadFileText(list), old);
    EXPECT_EQ(test::ReadFileText(list + ".id"), "id OLD01\n");
    EXPECT_FALSE(fs::exists(list + ".part"));
  }
}

TEST_F(RankDownload, RefusesBadArgumentsAndSourcesFiles) {
  EXPECT_EQ(Rank("download --sources").Status, 2);
  EXPECT_EQ(Rank("download a b").Status, 2);
  const test::TToolRun missing = Rank("download --sources " + (FDir / "none.ini").string() + " x.csv");
  EXPECT_EQ(missing.Status, 2);
  EXPECT_THAT(missing.Err, HasSubstr("none.ini: no such file"));
  const test::TToolRun folder = Rank("download --sources " + Sources("/top-1m.csv") + " " + FDir.string());
  EXPECT_EQ(folder.Status, 2);
  EXPECT_THAT(folder.Err, HasSubstr(FDir.string() + " is not a regular file"));
}

}  // namespace
}  // namespace halvane::rank
