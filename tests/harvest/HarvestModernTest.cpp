// halvane-harvest with the modern page test against the simulated web whose
// live search lists the blogs' posts in modern markup: the CSV must be
// exactly the rows the web's model predicts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/sim/LiveExpectation.h"
#include "tools/sim/LiveSearch.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"
#include "tools/sim/TTrancoDownload.h"

namespace halvane {
namespace {

const std::string kLiveModern = std::string(HALVANE_TEST_DATA) + "/sim/live-modern.conf";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string CsvField(const std::string& text) {
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

TEST(HarvestModern, ModernPagesGiveTheModelsRows) {
  halvane::test::TSimProcess sim(kLiveModern);
  const sim::TSimWeb web(sim::LoadSimConfig(kLiveModern), sim.Port());
  std::string folder = (std::filesystem::temp_directory_path() / "halvane-modern-XXXXXX").string();
  ASSERT_TRUE(mkdtemp(folder.data()));
  const std::string base = sim.HttpsServiceUrl();
  std::ofstream(folder + "/tranco.csv") << sim::TTrancoDownload(web).Csv();
  std::ofstream(folder + "/sources.ini")
      << "[search]\nengine = searxng\nsearxng-url = " << base << "/\n"
      << "[authority]\nsource = openpagerank\nopenpagerank-url = " << base
      << "/v1/domains/bulk\nopenpagerank-key = sim-opr-key\n"
      << "[ranking]\nsource = tranco\ntranco = " << folder << "/tranco.csv\n"
      << "[pages]\ntest = modern\n"
      << "[store]\nuse = no\n"
      << "[network]\nhost-delay-ms = 0\nprivate-addresses = allow\nca-file = " << sim.CaFile() << "\n";
  const std::string command = std::string(HALVANE_HARVEST_PATH) + " --sources " + folder +
                              "/sources.ini --keyword 'deep dive' --domain myshop.example --depth 2 --quiet > " +
                              folder + "/out.csv 2> " + folder + "/err.txt";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(folder + "/err.txt");

  std::string expected =
      "\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n";
  const auto harvest = sim::ExpectedLiveHarvest(web, sim::TLiveEngine::Searxng, "deep dive", 200);
  const auto rows = sim::ExpectedLiveRows(web, harvest, "myshop.example", sim::SimulatedFigures(web));
  for (const sim::TExpectedLiveRow& row : rows) {
    expected += CsvField(row.authority) + "," + CsvField(row.url) + "," + CsvField(row.comments) + "," +
                CsvField(row.commentLinks) + "," + CsvField(row.hasYourLink) + "," + CsvField(row.anchorName) + "," +
                CsvField(row.trafficRank) + "\r\n";
  }
  // Open and closed comments, followed and mixed blogs, links with and
  // without anchors all appear.
  EXPECT_NE(expected.find("\"Open\",\"Followed\",\"Yes\",\"My Shop\""), std::string::npos);
  EXPECT_NE(expected.find("\"Mixed\""), std::string::npos);
  EXPECT_NE(expected.find("\"Closed\""), std::string::npos);
  EXPECT_NE(expected.find("\"Yes\",\"-\""), std::string::npos);
  EXPECT_EQ(ReadFile(folder + "/out.csv"), expected);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace halvane
