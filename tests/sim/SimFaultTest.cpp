// Faults on request: the fault lists, the rule set, and what each fault
// does on the wire (observed with raw sockets).
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>

#include "tests/sim/SimWalk.h"
#include "tools/sim/TFault.h"
#include "tools/sim/TFaultRules.h"
#include "tests/support/TSimProcess.h"

namespace halvane::sim {
namespace {

using simtest::Exchange;

TEST(SimFaultSpec, ParsesEveryItem) {
  const auto f = ParseFault("head-delay:5,piece-delay:6,piece:7,status:404,redirect:16,chunked,count:2");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->headDelayMs, 5);
  EXPECT_EQ(f->pieceDelayMs, 6);
  EXPECT_EQ(f->pieceSize, 7u);
  EXPECT_EQ(f->status, 404);
  EXPECT_EQ(f->redirects, 16);
  EXPECT_TRUE(f->chunked);
  EXPECT_EQ(f->count, 2);
  EXPECT_EQ(ParseFault("silent")->silentMs, 30000);
  EXPECT_EQ(ParseFault("silent:40")->silentMs, 40);
  EXPECT_EQ(ParseFault("drop:0")->dropAfter, 0u);
  EXPECT_TRUE(ParseFault("close")->untilClose);
  for (const char* faults : {"drop", "close,piece:3", "chunked,piece-delay:10", "silent:100,status:500"}) {
    EXPECT_EQ(ParseFault(FormatFault(*ParseFault(faults))), ParseFault(faults)) << faults;
  }
}

TEST(SimFaultSpec, RejectsWhatItCannotDo) {
  std::string error;
  for (const char* faults : {"", ",", "slow", "status:99", "status:600", "status:", "head-delay:-1",
                           "head-delay:600001", "piece:0", "redirect:0", "redirect:101", "chunked:1",
                           "chunked,close", "drop,chunked", "count:0", "status:40x", "tls-bad-cert:1",
                           "tls-bad-cert,status:500", "head-delay:5,tls-bad-cert"}) {
    error.clear();
    EXPECT_FALSE(ParseFault(faults, &error)) << faults;
    EXPECT_FALSE(error.empty()) << faults;
  }
}

TEST(SimFaultRules, BadCertificateRulesMeetConnectionsOnly) {
  TFaultRules rules;
  EXPECT_EQ(rules.Replace("127.0.0.3: tls-bad-cert,count:1\n127.0.0.3: status:500\n"), "");
  EXPECT_EQ(rules.List(), "127.0.0.3: tls-bad-cert,count:1\n127.0.0.3: status:500\n");
  // A request passes over it to the next rule, and leaves its count alone.
  EXPECT_EQ(rules.Take("https://127.0.0.3:9/blog/")->status, 500);
  EXPECT_FALSE(rules.TakeBadCertificate("https://127.0.0.4:9/"));
  EXPECT_TRUE(rules.TakeBadCertificate("https://127.0.0.3:9/"));
  EXPECT_FALSE(rules.TakeBadCertificate("https://127.0.0.3:9/"));  // used up
  EXPECT_EQ(rules.List(), "127.0.0.3: status:500\n");
}

TEST(SimFaultRules, FirstMatchWinsAndCountsRunOut) {
  TFaultRules rules;
  EXPECT_EQ(rules.Replace("# comment\n/search status:500,count:2\n\n127.0.0.3: head-delay:1\n"), "");
  EXPECT_EQ(rules.Take("http://127.0.0.1:9/search?q=1")->status, 500);
  EXPECT_EQ(rules.Take("http://127.0.0.3:9/blog/")->headDelayMs, 1);
  EXPECT_EQ(rules.List(), "/search status:500,count:1\n127.0.0.3: head-delay:1\n");
  EXPECT_EQ(rules.Take("http://127.0.0.1:9/search?q=2")->status, 500);
  EXPECT_FALSE(rules.Take("http://127.0.0.1:9/search?q=3"));
  EXPECT_TRUE(rules.Take("http://127.0.0.3:9/blog/"));  // no count: stays
  // A bad line changes nothing.
  EXPECT_NE(rules.Replace("/a status:500\n/b nonsense\n").find("line 2"), std::string::npos);
  EXPECT_TRUE(rules.Take("http://127.0.0.3:9/"));
  rules.Clear();
  EXPECT_EQ(rules.List(), "");
}

class SimFaults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new test::TSimProcess(std::string(HALVANE_TEST_DATA) + "/sim/small.conf"); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static std::string Get(const std::string& target, const std::string& ip = "127.0.0.1", int idleMs = 3000) {
    return Exchange(ip, sim_->Port(), "GET " + target + " HTTP/1.1\r\nHost: " + ip + "\r\nConnection: close\r\n\r\n", idleMs);
  }
  static inline test::TSimProcess* sim_ = nullptr;
};

const std::string kUpdate = "/liveupdate/halvane/mainappupdate.inf";
const std::string kUpdateBody = "[APPLICATION]\r\nName=Halvane\r\nVersion=2.30\r\n";

TEST_F(SimFaults, ChunkedBodyInPiecesOfTheGivenSize) {
  const std::string got = Get(kUpdate + "?_fault=chunked,piece:20");
  EXPECT_NE(got.find("Transfer-Encoding: chunked\r\n"), std::string::npos);
  EXPECT_EQ(got.find("Content-Length"), std::string::npos);
  const std::string body = got.substr(got.find("\r\n\r\n") + 4);
  EXPECT_EQ(body, "14\r\n" + kUpdateBody.substr(0, 20) + "\r\n14\r\n" + kUpdateBody.substr(20, 20) + "\r\n3\r\n" +
                      kUpdateBody.substr(40) + "\r\n0\r\n\r\n");
}

TEST_F(SimFaults, BodyEndedByClosingTheConnection) {
  const std::string got = Get(kUpdate + "?_fault=close,piece:5,piece-delay:5", "127.0.0.1", 20000);
  EXPECT_EQ(got, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + kUpdateBody);
}

TEST_F(SimFaults, DropMidBodyAfterAnnouncingTheLength) {
  const std::string got = Get(kUpdate + "?_fault=drop:10", "127.0.0.1", 20000);
  EXPECT_NE(got.find("Content-Length: 43\r\n"), std::string::npos);
  EXPECT_EQ(got.substr(got.find("\r\n\r\n") + 4), kUpdateBody.substr(0, 10));
  const std::string half = Get(kUpdate + "?_fault=drop", "127.0.0.1", 20000);
  EXPECT_EQ(half.substr(half.find("\r\n\r\n") + 4), kUpdateBody.substr(0, 21));
}

TEST_F(SimFaults, StatusReplacesTheAnswerOnAnyRoute) {
  httplib::Client client("127.0.0.1", sim_->Port());
  client.set_url_encode(false);
  const auto res = client.Get((kUpdate + "?_fault=status:404").c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  EXPECT_NE(res->body.find("404"), std::string::npos);  // a body comes with it
  httplib::Client site("127.0.0.3", sim_->Port());
  const auto blog = site.Get("/?_fault=status:500");
  ASSERT_TRUE(blog);
  EXPECT_EQ(blog->status, 500);
}

TEST_F(SimFaults, RedirectChainEndsAtTheTargetWithTheRestOfTheFault) {
  // Sixteen hops: longer than the program follows.
  std::string target = kUpdate + "?_fault=redirect:16,status:503";
  int hops = 0;
  for (; hops < 20; ++hops) {
    const std::string got = Get(target);
    if (got.rfind("HTTP/1.1 302", 0) != 0) {
      EXPECT_EQ(got.rfind("HTTP/1.1 503", 0), 0u) << got;
      break;
    }
    const std::size_t at = got.find("Location: http://127.0.0.1:" + std::to_string(sim_->Port()));
    ASSERT_NE(at, std::string::npos) << got;
    const std::size_t from = got.find('/', at + 18);
    target = got.substr(from, got.find("\r\n", at) - from);
  }
  EXPECT_EQ(hops, 16);
  // httplib's client follows a short chain to the real body.
  httplib::Client client("127.0.0.1", sim_->Port());
  client.set_follow_location(true);
  const auto res = client.Get((kUpdate + "?_fault=redirect:3").c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, kUpdateBody);
}

TEST_F(SimFaults, HeadDelayAndPieceDelayHoldTheAnswerBack) {
  const auto start = std::chrono::steady_clock::now();
  const std::string got = Get(kUpdate + "?_fault=head-delay:300,piece:10,piece-delay:50", "127.0.0.1", 20000);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(300 + 4 * 50));
  EXPECT_EQ(got.substr(got.find("\r\n\r\n") + 4), kUpdateBody);
}

TEST_F(SimFaults, SilentConnectionSendsNothing) {
  const auto start = std::chrono::steady_clock::now();
  const std::string got = Get(kUpdate + "?_fault=silent:400", "127.0.0.1", 20000);
  EXPECT_EQ(got, "");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
  // Left silent until the client gives up: the server is free again after.
  EXPECT_EQ(Get(kUpdate + "?_fault=silent", "127.0.0.1", 300), "");
  EXPECT_EQ(Get(kUpdate).rfind("HTTP/1.1 200", 0), 0u);
}

TEST_F(SimFaults, BadMarkerIsAnErrorNotIgnored) {
  EXPECT_EQ(Get(kUpdate + "?_fault=slow").rfind("HTTP/1.1 400", 0), 0u);
}

TEST_F(SimFaults, ControlRouteSetsRulesForLaterRequests) {
  httplib::Client client("127.0.0.1", sim_->Port());
  client.set_url_encode(false);
  auto set = client.Post("/_sim/faults", "/liveupdate/ status:500,count:1\n127.0.0.4: status:404\n", "text/plain");
  ASSERT_TRUE(set);
  EXPECT_EQ(set->status, 200);
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 500);
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 200);  // used up
  httplib::Client third("127.0.0.4", sim_->Port());
  EXPECT_EQ(third.Get("/")->status, 404);
  EXPECT_EQ(httplib::Client("127.0.0.3", sim_->Port()).Get("/")->status, 200);
  EXPECT_EQ(client.Get("/_sim/faults")->body, "127.0.0.4: status:404\n");
  // Control routes never meet the rules.
  ASSERT_EQ(client.Post("/_sim/faults", "/ status:500\n", "text/plain")->status, 200);
  EXPECT_EQ(client.Get("/_sim/info")->status, 200);
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 500);
  const auto bad = client.Post("/_sim/faults", "/ nonsense\n", "text/plain");
  EXPECT_EQ(bad->status, 400);
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 500);  // unchanged
  EXPECT_EQ(client.Delete("/_sim/faults")->status, 200);
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 200);
  // The same through the test helper.
  EXPECT_TRUE(sim_->SetFaults("/liveupdate/ status:502\n"));
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 502);
  EXPECT_FALSE(sim_->SetFaults("/liveupdate/ status:5000\n"));
  EXPECT_TRUE(sim_->ClearFaults());
  EXPECT_EQ(client.Get(kUpdate.c_str())->status, 200);
}

}  // namespace
}  // namespace halvane::sim
