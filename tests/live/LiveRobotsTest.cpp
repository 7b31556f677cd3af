// robots.txt for page requests: fetched once per origin before any page,
// the rules for our product token, 4xx allows all, 5xx skips the host.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "tests/live/LiveTestSupport.h"
#include "tests/support/TTestServer.h"

namespace halvane::live::test {
namespace {

using halvane::test::TTestServer;

// A site whose robots.txt is given; logs the order of the paths asked.
struct TSite {
  explicit TSite(const std::string& address, int robotsStatus, std::string robots, int robotsDelayMs = 0) : Server(address) {
    Server.Routes().Get("/robots.txt", [=, this](const httplib::Request&, httplib::Response& res) {
      Note("/robots.txt");
      ++RobotsHits;
      std::this_thread::sleep_for(std::chrono::milliseconds(robotsDelayMs));
      res.status = robotsStatus;
      if (robotsStatus == 503) res.set_header("Retry-After", "0");
      res.set_content(robots, "text/plain");
    });
    Server.Routes().Get(R"(/(?!robots\.txt).*)", [this](const httplib::Request& req, httplib::Response& res) {
      Note(req.target);
      res.set_content("page", "text/html");
    });
  }
  void Note(const std::string& path) {
    std::lock_guard lock(Mutex);
    Paths.push_back(path);
  }
  TLiveRequest Page(const std::string& path) const {
    TLiveRequest r = Request(Server.Url(path));
    r.Kind = TRequestKind::Page;
    return r;
  }
  TTestServer Server;
  std::atomic<int> RobotsHits{0};
  std::mutex Mutex;
  std::vector<std::string> Paths;
};

constexpr const char* kRobots =
    "User-agent: *\n"
    "Disallow: /\n"
    "\n"
    "User-agent: halvane\n"
    "Disallow: /private/\n"
    "Allow: /private/open/\n"
    "Disallow: /*.pdf$\n";

TEST(LiveRobotsTest, FetchesRobotsOnceAndObeysOurGroup) {
  TSite site("127.0.0.1", 200, kRobots);
  TLiveClient client(QuickSettings());
  TAnswers answers;
  const std::vector<std::string> paths = {"/public", "/private/x", "/private/open/x", "/doc.pdf", "/doc.pdf?x=1"};
  for (const std::string& path : paths) answers.Submit(client, site.Page(path));
  const auto got = answers.Wait(paths.size());
  std::map<std::string, TLiveResponse> byPath;
  for (const TLiveResponse& r : got) byPath[r.FinalUrl.substr(site.Server.Url("").size())] = r;
  EXPECT_TRUE(byPath["/public"].Succeeded()) << byPath["/public"].Message;
  EXPECT_EQ(byPath["/private/x"].Error, TLiveError::RobotsDisallowed);
  EXPECT_EQ(byPath["/private/x"].Message, "robots.txt of 127.0.0.1 disallows /private/x");
  EXPECT_TRUE(byPath["/private/open/x"].Succeeded()) << "the longer allow wins";
  EXPECT_EQ(byPath["/doc.pdf"].Error, TLiveError::RobotsDisallowed);
  EXPECT_TRUE(byPath["/doc.pdf?x=1"].Succeeded()) << "$ anchors the end";
  EXPECT_EQ(site.RobotsHits.load(), 1);
  ASSERT_FALSE(site.Paths.empty());
  EXPECT_EQ(site.Paths.front(), "/robots.txt");  // before any page
  EXPECT_EQ(site.Paths.size(), 4u);              // robots.txt and the three allowed pages

  // API requests and a client told to ignore robots.txt go anywhere.
  EXPECT_TRUE(Fetch(client, Request(site.Server.Url("/private/x"))).Succeeded());
  TNetworkSettings ignoring = QuickSettings();
  ignoring.ObeyRobots = false;
  TLiveClient careless(ignoring);
  EXPECT_TRUE(Fetch(careless, site.Page("/private/y")).Succeeded());
  EXPECT_EQ(site.RobotsHits.load(), 1);
}

TEST(LiveRobotsTest, AMissingRobotsTxtAllowsEverything) {
  TSite site("127.0.0.2", 404, "not here");
  TLiveClient client(QuickSettings());
  EXPECT_TRUE(Fetch(client, site.Page("/private/x")).Succeeded());
  EXPECT_TRUE(Fetch(client, site.Page("/doc.pdf")).Succeeded());
  EXPECT_EQ(site.RobotsHits.load(), 1);
}

TEST(LiveRobotsTest, AnUnavailableRobotsTxtSkipsTheHost) {
  TSite site("127.0.0.3", 503, "");
  TLiveClient client(QuickSettings());
  const TLiveResponse first = Fetch(client, site.Page("/public"));
  EXPECT_EQ(first.Error, TLiveError::RobotsUnavailable);
  EXPECT_EQ(first.Message, "robots.txt of 127.0.0.3 could not be read: HTTP 503");
  EXPECT_EQ(site.RobotsHits.load(), 3);  // asked again twice, as any 503
  EXPECT_EQ(Fetch(client, site.Page("/other")).Error, TLiveError::RobotsUnavailable);
  EXPECT_EQ(site.RobotsHits.load(), 3);  // remembered for the run
  std::lock_guard lock(site.Mutex);
  EXPECT_EQ(site.Paths, std::vector<std::string>(3, "/robots.txt"));  // no page asked
}

TEST(LiveRobotsTest, APageWaitingForRobotsCanBeAborted) {
  TSite site("127.0.0.1", 200, kRobots, 500);
  TLiveClient client(QuickSettings());
  TAnswers answers;
  const TRequestId id = answers.Submit(client, site.Page("/public"));
  answers.Submit(client, site.Page("/public2"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  client.Abort(id);
  const auto got = answers.Wait(2);
  EXPECT_EQ(got[0].Error, TLiveError::Aborted);
  EXPECT_TRUE(got[1].Succeeded()) << got[1].Message;
}

}  // namespace
}  // namespace halvane::live::test
