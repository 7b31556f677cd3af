// robots.txt on the simulated blogs: none unless configured, per site or for
// all, with any status, from the configuration or set at run time.
#include <gtest/gtest.h>
#include <httplib.h>

#include "tests/sim/SimWalk.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"

namespace halvane::sim {
namespace {

TEST(SimRobotsConfig, ReadsSiteStatusAndEscapedBody) {
  const TSimConfig c = ParseSimConfig(
      "robots = * 200 User-agent: *\\nDisallow: /blog/\\n\nrobots = 127.0.0.4 503\nrobots = 127.0.0.5 200 a\\\\b\\x\n");
  ASSERT_EQ(c.robots.size(), 3u);
  EXPECT_EQ(c.robots[0].first, "*");
  EXPECT_EQ(c.robots[0].second.Status, 200);
  EXPECT_EQ(c.robots[0].second.Body, "User-agent: *\nDisallow: /blog/\n");
  EXPECT_EQ(c.robots[1].first, "127.0.0.4");
  EXPECT_EQ(c.robots[1].second.Status, 503);
  EXPECT_EQ(c.robots[1].second.Body, "");
  EXPECT_EQ(c.robots[2].second.Body, "a\\b\\x");
  for (const char* bad : {"robots = 200", "robots = example.org 200", "robots = * 99", "robots = * 600 x",
                          "robots = *"}) {
    EXPECT_THROW(ParseSimConfig(bad), std::runtime_error) << bad;
  }
}

class SimRobots : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new test::TSimProcess(std::string(HALVANE_TEST_DATA) + "/sim/small.conf"); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static httplib::Result Set(const std::string& query, const std::string& body) {
    httplib::Client control("127.0.0.1", sim_->Port());
    control.set_url_encode(false);
    return control.Post(("/_sim/robots?" + query).c_str(), body, "text/plain");
  }
  static inline test::TSimProcess* sim_ = nullptr;
};

TEST_F(SimRobots, NoneUntilSetThenPerSiteOverAll) {
  using simtest::Fetch;
  EXPECT_EQ(Fetch("127.0.0.3", sim_->Port(), "/robots.txt").status, 404);
  ASSERT_EQ(Set("site=*", "User-agent: *\nDisallow: /blog/\n")->status, 200);
  ASSERT_EQ(Set("site=127.0.0.4&status=503", "")->status, 200);
  ASSERT_EQ(Set("site=127.0.0.5&status=200", "User-agent: Halvane\nAllow: /\n")->status, 200);
  const auto all = Fetch("127.0.0.3", sim_->Port(), "/robots.txt");
  EXPECT_EQ(all.status, 200);
  EXPECT_EQ(all.body, "User-agent: *\nDisallow: /blog/\n");
  EXPECT_EQ(Fetch("127.0.0.4", sim_->Port(), "/robots.txt").status, 503);
  EXPECT_EQ(Fetch("127.0.0.5", sim_->Port(), "/robots.txt").body, "User-agent: Halvane\nAllow: /\n");
  // The services' address has no robots.txt of its own.
  EXPECT_EQ(Fetch("127.0.0.1", sim_->Port(), "/robots.txt").status, 404);
  httplib::Client control("127.0.0.1", sim_->Port());
  EXPECT_EQ(control.Get("/_sim/robots")->body, "* 200 31\n127.0.0.4 503 0\n127.0.0.5 200 29\n");
  EXPECT_EQ(Set("site=example.org", "")->status, 400);
  EXPECT_EQ(Set("site=*&status=7", "")->status, 400);
  EXPECT_EQ(control.Delete("/_sim/robots")->status, 200);
  EXPECT_EQ(Fetch("127.0.0.5", sim_->Port(), "/robots.txt").status, 404);
}

}  // namespace
}  // namespace halvane::sim
