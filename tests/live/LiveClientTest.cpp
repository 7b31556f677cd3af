// The live client against the simulated web and small loopback servers:
// requests and answers, bodies in every framing, failures, abort, body cap.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/live/LiveTestSupport.h"
#include "tests/support/TSimProcess.h"
#include "tests/support/TTestServer.h"

namespace halvane::live::test {

using halvane::test::TTestServer;
namespace {

using halvane::test::TSimProcess;

class LiveClientSimTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { FSim = new TSimProcess(); }
  static void TearDownTestSuite() {
    delete FSim;
    FSim = nullptr;
  }
  static std::string Url(const std::string& target) { return FSim->ServiceUrl() + target; }
  static TSimProcess* FSim;
};
TSimProcess* LiveClientSimTest::FSim = nullptr;

TEST_F(LiveClientSimTest, ReadsBodiesInEveryFraming) {
  TLiveClient client(QuickSettings());
  const TLiveResponse plain = Get(client, Url("/_sim/body?size=100000"));
  ASSERT_TRUE(plain.Succeeded()) << plain.Message;
  EXPECT_EQ(plain.Body.size(), 100000u);
  EXPECT_EQ(plain.FinalUrl, Url("/_sim/body?size=100000"));
  for (const char* fault : {"chunked,piece:777", "close", "piece:100,piece-delay:1"}) {
    const TLiveResponse r = Get(client, Url(std::string("/_sim/body?size=100000&_fault=") + fault));
    ASSERT_TRUE(r.Succeeded()) << fault << ": " << r.Message;
    EXPECT_EQ(r.Body, plain.Body) << fault;
  }
}

TEST_F(LiveClientSimTest, ReportsADroppedBody) {
  TLiveClient client(QuickSettings());
  const TLiveResponse dropped = Get(client, Url("/_sim/body?size=50000&_fault=drop"));
  EXPECT_EQ(dropped.Error, TLiveError::Protocol);
  EXPECT_EQ(dropped.Message, "127.0.0.1 closed the connection before the whole body arrived");
  EXPECT_TRUE(dropped.Body.empty());
}

TEST_F(LiveClientSimTest, FollowsRedirectsUpToTheLimit) {
  TNetworkSettings settings = QuickSettings();
  settings.MaxRedirects = 3;
  TLiveClient client(settings);
  const TLiveResponse followed = Get(client, Url("/_sim/body?size=10&_fault=redirect:3"));
  ASSERT_TRUE(followed.Succeeded()) << followed.Message;
  EXPECT_EQ(followed.Body.size(), 10u);
  EXPECT_NE(followed.FinalUrl.find("/_sim/body"), std::string::npos);
  const TLiveResponse tooMany = Get(client, Url("/_sim/body?size=10&_fault=redirect:4"));
  EXPECT_EQ(tooMany.Error, TLiveError::TooManyRedirects);
  EXPECT_EQ(tooMany.Message, "too many redirects (more than 3) from 127.0.0.1");
}

TEST_F(LiveClientSimTest, TimesOutOnASilentServer) {
  TNetworkSettings settings = QuickSettings();
  settings.TimeoutSeconds = 1;
  TLiveClient client(settings);
  const TLiveResponse r = Get(client, Url("/_sim/body?size=10&_fault=silent"));
  EXPECT_EQ(r.Error, TLiveError::Timeout);
  EXPECT_EQ(r.Message, "127.0.0.1 timed out after 1 s");
}

TEST_F(LiveClientSimTest, AbortEndsRunningAndWaitingRequests) {
  TNetworkSettings settings = QuickSettings();
  settings.Parallel = 1;
  TLiveClient client(settings);
  TAnswers answers;
  const TRequestId silent = answers.Submit(client, Request(Url("/_sim/body?size=10&_fault=silent")));
  answers.Submit(client, Request(Url("/_sim/body?size=10")));  // queued behind it: Parallel 1
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  client.Abort(silent);
  const auto first = answers.Wait(2);
  EXPECT_EQ(first[0].Error, TLiveError::Aborted);
  EXPECT_EQ(first[0].Message, "aborted");
  EXPECT_TRUE(first[1].Succeeded()) << first[1].Message;  // the slot came free

  answers.Submit(client, Request(Url("/_sim/body?size=10&_fault=silent")));
  answers.Submit(client, Request(Url("/_sim/body?size=10&_fault=silent")));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  client.AbortAll();
  const auto all = answers.Wait(4);
  EXPECT_EQ(all[2].Error, TLiveError::Aborted);
  EXPECT_EQ(all[3].Error, TLiveError::Aborted);
}

// A posted task runs on the thread the handlers run on, after what was
// asked before it: state only tasks and handlers touch needs no lock.
TEST_F(LiveClientSimTest, APostedTaskRunsOnTheWorkerAfterWhatCameBefore) {
  TLiveClient client(QuickSettings());
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::string> order;
  std::thread::id handlerThread;
  std::thread::id taskThread;
  const TRequestId silent =
      client.Submit(Request(Url("/_sim/body?size=10&_fault=silent")), [&](TLiveResponse response) {
        const std::lock_guard held(lock);
        handlerThread = std::this_thread::get_id();
        order.push_back(response.Error == TLiveError::Aborted ? "aborted" : "answered");
        changed.notify_all();
      });
  client.Abort(silent);
  client.Post([&] {
    const std::lock_guard held(lock);
    taskThread = std::this_thread::get_id();
    order.push_back("task");
    changed.notify_all();
  });
  std::unique_lock held(lock);
  // Woken by the task; 30 s only bounds a worker that never runs it.
  ASSERT_TRUE(changed.wait_for(held, std::chrono::seconds(30), [&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<std::string>{"aborted", "task"}));
  EXPECT_EQ(taskThread, handlerThread);
  EXPECT_NE(taskThread, std::this_thread::get_id());
}

TEST_F(LiveClientSimTest, AbortGroupEndsOnlyThatGroup) {
  TLiveClient client(QuickSettings());
  TAnswers pages, others;
  auto inGroup = [](std::string url, std::string group) {
    TLiveRequest request = Request(std::move(url));
    request.Group = std::move(group);
    return request;
  };
  pages.Submit(client, inGroup(Url("/_sim/body?size=10&_fault=silent"), "pages"));
  pages.Submit(client, inGroup(Url("/_sim/body?size=10&_fault=silent"), "pages"));
  client.AbortGroup("pages");
  others.Submit(client, inGroup(Url("/_sim/body?size=10"), "search"));
  for (const TLiveResponse& r : pages.Wait(2)) EXPECT_EQ(r.Error, TLiveError::Aborted);
  const TLiveResponse search = others.Wait(1).front();
  EXPECT_TRUE(search.Succeeded()) << search.Message;

  // A request of another group that is running when the group is aborted keeps running.
  others.Submit(client, inGroup(Url("/_sim/body?size=10&_fault=piece:5,piece-delay:200"), "authority"));
  client.AbortGroup("pages");
  const TLiveResponse authority = others.Wait(2)[1];
  EXPECT_TRUE(authority.Succeeded()) << authority.Message;
}

TEST_F(LiveClientSimTest, VerifiesTheSimulatedWebOverTls) {
  TNetworkSettings settings = QuickSettings();
  settings.CaFile = FSim->CaFile();
  TLiveClient client(settings);
  const std::string site = "https://127.0.0.3:" + std::to_string(FSim->HttpsPort());
  const TLiveResponse ok = Get(client, site + "/_sim/body?size=1000");
  ASSERT_TRUE(ok.Succeeded()) << ok.Message;
  EXPECT_EQ(ok.Body.size(), 1000u);

  ASSERT_TRUE(FSim->SetFaults("127.0.0.3: tls-bad-cert,count:1"));
  TLiveClient fresh(settings);  // a new connection: the rule picks the certificate when one opens
  const TLiveResponse bad = Get(fresh, site + "/_sim/body?size=1000");
  FSim->ClearFaults();
  EXPECT_EQ(bad.Error, TLiveError::Tls);
  EXPECT_EQ(bad.Message.rfind("certificate verify failed for 127.0.0.3", 0), 0u) << bad.Message;

  TLiveClient untrusting(QuickSettings());
  EXPECT_EQ(Get(untrusting, site + "/_sim/body?size=10").Error, TLiveError::Tls);
}

TEST_F(LiveClientSimTest, FollowsTheSimulatedWebAcrossSchemes) {
  TNetworkSettings settings = QuickSettings();
  settings.CaFile = FSim->CaFile();
  TLiveClient client(settings);
  const std::string secure = "https://127.0.0.3:" + std::to_string(FSim->HttpsPort()) + "/_sim/body?size=10";
  const std::string plain = "http://127.0.0.2:" + std::to_string(FSim->Port()) + "/_sim/body?size=20";
  const TLiveResponse up = Get(client, "http://127.0.0.2:" + std::to_string(FSim->Port()) + "/_sim/redirect/1/" + secure);
  ASSERT_TRUE(up.Succeeded()) << up.Message;
  EXPECT_EQ(up.FinalUrl, secure);
  EXPECT_EQ(up.Body.size(), 10u);
  const TLiveResponse down = Get(client, "https://127.0.0.3:" + std::to_string(FSim->HttpsPort()) + "/_sim/redirect/1/" + plain);
  ASSERT_TRUE(down.Succeeded()) << down.Message;
  EXPECT_EQ(down.FinalUrl, plain);
  EXPECT_EQ(down.Body.size(), 20u);
}

TEST_F(LiveClientSimTest, ObeysTheRobotsTxtOfSimulatedSites) {
  httplib::Client control("127.0.0.1", FSim->Port());
  ASSERT_TRUE(control.Post("/_sim/robots?site=127.0.0.4", "User-agent: Halvane\nDisallow: /blog/\n", "text/plain"));
  ASSERT_TRUE(control.Post("/_sim/robots?site=127.0.0.5&status=503", "", "text/plain"));
  TNetworkSettings settings = QuickSettings();
  settings.CaFile = FSim->CaFile();
  TLiveClient client(settings);
  const auto page = [&](const std::string& address, bool tls, const std::string& path) {
    TLiveRequest r = Request((tls ? "https://" : "http://") + address + ":" +
                             std::to_string(tls ? FSim->HttpsPort() : FSim->Port()) + path);
    r.Kind = TRequestKind::Page;
    return Fetch(client, r);
  };
  EXPECT_EQ(page("127.0.0.4", false, "/blog/x/").Error, TLiveError::RobotsDisallowed);
  EXPECT_EQ(page("127.0.0.4", true, "/blog/x/").Error, TLiveError::RobotsDisallowed);
  EXPECT_TRUE(page("127.0.0.4", true, "/").Succeeded());
  const TLiveResponse skipped = page("127.0.0.5", false, "/");
  EXPECT_EQ(skipped.Error, TLiveError::RobotsUnavailable);
  EXPECT_EQ(skipped.Message, "robots.txt of 127.0.0.5 could not be read: HTTP 503");
  EXPECT_TRUE(page("127.0.0.6", false, "/").Succeeded());  // no robots.txt: 404
  control.Delete("/_sim/robots");
}

TEST(LiveClientTest, SendsGetAndPostWithTheirHeaders) {
  TTestServer server;
  std::string seenAgent, seenType, seenBody, seenToken;
  server.Routes().Post("/api", [&](const httplib::Request& req, httplib::Response& res) {
    seenAgent = req.get_header_value("User-Agent");
    seenType = req.get_header_value("Content-Type");
    seenToken = req.get_header_value("X-Token");
    seenBody = req.body;
    res.set_header("X-Answer", "yes");
    res.set_content("{\"ok\":true}", "application/json");
  });
  server.Routes().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("gone", "text/plain");
  });
  TLiveClient client(QuickSettings());
  TLiveRequest request = Request(server.Url("/api"));
  request.Method = "POST";
  request.Headers = {{"X-Token", "abc"}};
  request.Body = "{\"domains\":[\"a.com\"]}";
  request.ContentType = "application/json";
  const TLiveResponse post = Fetch(client, request);
  ASSERT_TRUE(post.Succeeded()) << post.Message;
  EXPECT_EQ(post.Body, "{\"ok\":true}");
  EXPECT_EQ(post.Header("x-answer"), "yes");
  EXPECT_EQ(post.Header("X-Missing"), "");
  EXPECT_EQ(seenBody, "{\"domains\":[\"a.com\"]}");
  EXPECT_EQ(seenType, "application/json");
  EXPECT_EQ(seenToken, "abc");
  EXPECT_EQ(seenAgent, DefaultUserAgent());
  EXPECT_EQ(DefaultUserAgent().rfind("Halvane/2.20 (", 0), 0u);

  const TLiveResponse missing = Get(client, server.Url("/missing"));
  EXPECT_TRUE(missing.Answered());
  EXPECT_FALSE(missing.Succeeded());
  EXPECT_EQ(missing.Status, 404);
  EXPECT_EQ(missing.Body, "gone");
  EXPECT_EQ(missing.Problem(), "HTTP 404");
  EXPECT_EQ(post.Problem(), "");
}

TEST(LiveClientTest, RefusesWhatIsNotHttp) {
  TTestServer server;
  TLiveClient client(QuickSettings());
  EXPECT_EQ(Get(client, "ftp://127.0.0.1/file").Error, TLiveError::Other);
  EXPECT_EQ(Get(client, "not an address").Message, "bad address not an address (http or https only)");
  server.Routes().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("file:///etc/passwd");
  });
  const TLiveResponse r = Get(client, server.Url("/to-file"));
  EXPECT_EQ(r.Error, TLiveError::Other);
  EXPECT_TRUE(r.Body.empty());
  EXPECT_NE(r.Message.find("is not http or https"), std::string::npos) << r.Message;
}

TEST(LiveClientTest, ReportsARefusedConnection) {
  int port = 0;
  {
    TTestServer closed;  // a port that was free a moment ago
    port = closed.Port();
  }
  TLiveClient client(QuickSettings());
  const TLiveResponse r = Get(client, "http://127.0.0.1:" + std::to_string(port) + "/");
  EXPECT_EQ(r.Error, TLiveError::Connect);
  EXPECT_EQ(r.Message, "could not connect to 127.0.0.1:" + std::to_string(port));
}

std::string Gzip(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(LiveClientTest, CapsTheDecodedBodyOfACompressedBomb) {
  const std::string bomb = Gzip(std::string(8 * 1024 * 1024, 'a'));
  ASSERT_LT(bomb.size(), 64u * 1024);
  TTestServer server;
  server.Routes().Get("/bomb", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Encoding", "gzip");
    res.set_content(bomb, "text/html");
  });
  TNetworkSettings settings = QuickSettings();
  settings.MaxBodyBytes = 1024 * 1024;
  TLiveClient client(settings);
  const TLiveResponse capped = Get(client, server.Url("/bomb"));
  EXPECT_EQ(capped.Error, TLiveError::TooLarge);
  EXPECT_EQ(capped.Message, "body of 127.0.0.1 larger than 1 MiB");
  EXPECT_TRUE(capped.Body.empty());
  // The request's own limit wins, and the body arrives decoded.
  TLiveRequest larger = Request(server.Url("/bomb"));
  larger.MaxBodyBytes = 16 * 1024 * 1024;
  const TLiveResponse whole = Fetch(client, larger);
  ASSERT_TRUE(whole.Succeeded()) << whole.Message;
  EXPECT_EQ(whole.Body.size(), 8u * 1024 * 1024);
}

TEST(LiveClientTest, StreamsSuccessfulBodiesToASink) {
  TTestServer server;
  server.Routes().Get("/big", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(300000, 'x'), "application/octet-stream");
  });
  server.Routes().Get("/error", [](const httplib::Request&, httplib::Response& res) {
    res.status = 500;
    res.set_content("broken", "text/plain");
  });
  TLiveClient client(QuickSettings());
  std::atomic<std::size_t> streamed{0};
  const auto sink = [&](std::string_view piece) {
    streamed += piece.size();
    return true;
  };
  TLiveRequest request = Request(server.Url("/big"));
  request.BodySink = sink;
  const TLiveResponse big = Fetch(client, request);
  ASSERT_TRUE(big.Succeeded()) << big.Message;
  EXPECT_EQ(streamed.load(), 300000u);
  EXPECT_TRUE(big.Body.empty());
  request.Url = server.Url("/error");
  const TLiveResponse error = Fetch(client, request);
  EXPECT_EQ(error.Body, "broken");
  EXPECT_EQ(streamed.load(), 300000u);
  request.Url = server.Url("/big");
  request.BodySink = [](std::string_view) { return false; };
  const TLiveResponse refused = Fetch(client, request);
  EXPECT_EQ(refused.Error, TLiveError::Other);
  EXPECT_EQ(refused.Message, "the body of 127.0.0.1 could not be stored");
}

}  // namespace
}  // namespace halvane::live::test
