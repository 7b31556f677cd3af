// Two halvane-harvest processes harvesting the same keyword into one
// PostgreSQL store at the same time, as machines sharing a store do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "store/OpenStore.h"
#include "tests/store/TPgServer.h"
#include "tests/support/TLiveSimSetup.h"
#include "tests/support/TSimProcess.h"
#include "tests/support/ToolRun.h"

namespace {

using halvane::test::ReadFileText;
using halvane::test::TLiveSimSetup;
using halvane::test::TSimProcess;

TEST(HarvestSharedStore, TwoProcessesShareOneStoreWithoutDuplicatePagesOrLostVerdicts) {
  halvane::store::test::TPgServer* server = halvane::store::test::TPgServer::Shared();
  if (!server) GTEST_SKIP() << "no PostgreSQL server: " << halvane::store::test::TPgServer::Problem();
  const std::string url = server->NewDatabase();
  TSimProcess sim;
  const TLiveSimSetup setup(sim);
  const std::string& folder = setup.Folder();
  const std::string run = std::string(HALVANE_HARVEST_PATH) + " --sources " + setup.SourcesFile() +
                          " --keyword 'blue widgets' --depth 2 --quiet --db '" + url + "'";
  const std::string both = "(" + run + " >" + folder + "/out1 2>" + folder + "/err1; echo $? >" + folder +
                           "/rc1) & (" + run + " >" + folder + "/out2 2>" + folder + "/err2; echo $? >" + folder +
                           "/rc2) & wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  EXPECT_EQ(ReadFileText(folder + "/rc1"), "0\n") << ReadFileText(folder + "/err1");
  EXPECT_EQ(ReadFileText(folder + "/rc2"), "0\n") << ReadFileText(folder + "/err2");
  EXPECT_EQ(ReadFileText(folder + "/out1").size(), ReadFileText(folder + "/out2").size());

  const std::unique_ptr<halvane::store::TStore> store = halvane::store::OpenStore(url);
  const auto history = store->History(0);
  std::set<std::string> addresses;
  for (const auto& entry : history) EXPECT_TRUE(addresses.insert(entry.Page.Address).second) << entry.Page.Address;
  ASSERT_FALSE(history.empty());
  // Both runs judged every page: two verdicts each, none lost to the other.
  const halvane::store::TStoreCounts counts = store->Counts();
  EXPECT_EQ(counts.Pages, static_cast<std::int64_t>(history.size()));
  EXPECT_EQ(counts.Verdicts, 2 * counts.Pages);
  EXPECT_EQ(counts.Runs, 2);
  for (const auto& entry : history) EXPECT_EQ(store->Verdicts(entry.Page.Address).size(), 2u) << entry.Page.Address;
}

}  // namespace
