// The simulated web's Tranco download, fetched and indexed as the program
// does, gives each blog site the rank its model says.
#include <gtest/gtest.h>
#include <httplib.h>

#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"
#include "tools/sim/TTrancoDownload.h"
#include "tests/tables/TableFiles.h"
#include "tables/TTrancoList.h"
#include "tables/TableText.h"

namespace halvane::tables {
namespace {

TEST(SimTranco, ServesTheListTheModelDescribesAsCsvAndZip) {
  halvane::test::TSimProcess sim;
  const sim::TSimWeb web(sim::DefaultSimConfig(), sim.Port());
  const sim::TTrancoDownload model(web);
  httplib::Client client("127.0.0.1", sim.Port());
  test::TTempDir dir;
  for (const std::string name : {"top-1m.csv", "top-1m.csv.zip"}) {
    const auto reply = client.Get("/" + name);
    ASSERT_TRUE(reply) << name;
    ASSERT_EQ(reply->status, 200) << name;
    test::WriteFile(dir / name, reply->body);
    const TTrancoList list = TTrancoList::Open(dir / name, dir / "cache");
    EXPECT_EQ(list.Index().Count(), sim::TTrancoDownload::kListSize) << name;
    int listed = 0;
    bool grouped = false;
    for (int site = 0; site < web.SiteCount(); ++site) {
      const auto rank = list.FindForHost(sim::TSimWeb::SiteIp(site));
      EXPECT_EQ(rank, model.SiteRank(site)) << name << " site " << site;
      EXPECT_EQ(rank ? GroupThousands(*rank) : "-", model.ShownSiteRank(site));
      listed += rank.has_value();
      grouped = grouped || (rank && *rank >= 1000);
    }
    // The demo web shows every case: ranks with and without grouping, and "-".
    EXPECT_GT(listed, 0);
    EXPECT_LT(listed, web.SiteCount());
    EXPECT_TRUE(grouped);
    EXPECT_EQ(list.Find(model.DomainAt(1)), 1u);
    EXPECT_EQ(list.Find(model.DomainAt(sim::TTrancoDownload::kListSize)), sim::TTrancoDownload::kListSize);
  }
}

}  // namespace
}  // namespace halvane::tables
