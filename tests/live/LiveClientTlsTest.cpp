// The live client over TLS: verification with the system store plus an
// extra CA file, the failures a user must be told about, and redirects
// between http and https.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/live/LiveTestSupport.h"
#include "tests/support/TTestPki.h"
#include "tests/support/TTestServer.h"

namespace halvane::live::test {

using halvane::test::TTestPki;
using halvane::test::TTestServer;
namespace {

class LiveClientTlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { FPki = new TTestPki(); }
  static void TearDownTestSuite() {
    delete FPki;
    FPki = nullptr;
  }
  static TNetworkSettings Trusting(const std::string& caFile) {
    TNetworkSettings s = QuickSettings();
    s.CaFile = caFile;
    return s;
  }
  static TTestPki* FPki;
};
TTestPki* LiveClientTlsTest::FPki = nullptr;

void ServeHello(TTestServer& server) {
  server.Routes().Get("/hello", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("hello over tls", "text/plain");
  });
}

TEST_F(LiveClientTlsTest, TrustsTheExtraCaFile) {
  TTestServer server("127.0.0.1", FPki->Server().ServerCertificate(), FPki->Server().ServerKey());
  ServeHello(server);
  TLiveClient client(Trusting(FPki->CaFile()));
  const TLiveResponse r = Get(client, server.Url("/hello"));
  ASSERT_TRUE(r.Succeeded()) << r.Message;
  EXPECT_EQ(r.Body, "hello over tls");
}

TEST_F(LiveClientTlsTest, FailsVerificationWithoutTheRightCa) {
  TTestServer server("127.0.0.1", FPki->Server().ServerCertificate(), FPki->Server().ServerKey());
  ServeHello(server);
  for (const std::string& caFile : {std::string(), FPki->OtherCaFile()}) {
    TLiveClient client(Trusting(caFile));
    const TLiveResponse r = Get(client, server.Url("/hello"));
    EXPECT_EQ(r.Error, TLiveError::Tls) << caFile;
    EXPECT_EQ(r.Message.rfind("certificate verify failed for 127.0.0.1", 0), 0u) << r.Message;
    EXPECT_TRUE(r.Body.empty());
  }
}

TEST_F(LiveClientTlsTest, FailsVerificationForACertificateOfAnotherName) {
  TTestServer server("127.0.0.1", FPki->Server().WrongCertificate(), FPki->Server().WrongKey());
  ServeHello(server);
  TLiveClient client(Trusting(FPki->CaFile()));
  const TLiveResponse r = Get(client, server.Url("/hello"));
  EXPECT_EQ(r.Error, TLiveError::Tls);
  EXPECT_EQ(r.Message.rfind("certificate verify failed for 127.0.0.1", 0), 0u) << r.Message;
}

TEST_F(LiveClientTlsTest, NamesAnUnreadableCaFile) {
  TTestServer server("127.0.0.1", FPki->Server().ServerCertificate(), FPki->Server().ServerKey());
  ServeHello(server);
  TLiveClient client(Trusting("/nonexistent/ca.pem"));
  const TLiveResponse r = Get(client, server.Url("/hello"));
  EXPECT_EQ(r.Error, TLiveError::Tls);
  EXPECT_EQ(r.Message.rfind("CA file /nonexistent/ca.pem could not be read", 0), 0u) << r.Message;
}

TEST_F(LiveClientTlsTest, NeverWaitsOnACaFileThatIsNoFile) {
  TTestServer server("127.0.0.1", FPki->Server().ServerCertificate(), FPki->Server().ServerKey());
  ServeHello(server);
  const std::string fifo = std::filesystem::temp_directory_path() / ("halvane-ca-fifo-" + std::to_string(::getpid()));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TLiveClient client(Trusting(fifo));
  const TLiveResponse r = Get(client, server.Url("/hello"));
  std::filesystem::remove(fifo);
  EXPECT_EQ(r.Error, TLiveError::Tls);
  EXPECT_EQ(r.Message, "CA file " + fifo + " could not be read: not a regular file (a FIFO)");
  // Plain http needs no CA file: it reaches the server (which speaks TLS only).
  EXPECT_EQ(Get(client, "http://127.0.0.1:" + std::to_string(server.Port()) + "/x").Error, TLiveError::Protocol);
}

TEST_F(LiveClientTlsTest, FollowsRedirectsBetweenHttpAndHttps) {
  TTestServer secure("127.0.0.1", FPki->Server().ServerCertificate(), FPki->Server().ServerKey());
  TTestServer plain("127.0.0.2");
  ServeHello(secure);
  ServeHello(plain);
  plain.Routes().Get("/up", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect(secure.Url("/hello")); });
  secure.Routes().Get("/down", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect(plain.Url("/hello")); });
  TLiveClient client(Trusting(FPki->CaFile()));
  const TLiveResponse up = Get(client, plain.Url("/up"));
  ASSERT_TRUE(up.Succeeded()) << up.Message;
  EXPECT_EQ(up.FinalUrl, secure.Url("/hello"));
  EXPECT_EQ(up.Header("Location"), "");  // the headers are the final answer's
  const TLiveResponse down = Get(client, secure.Url("/down"));
  ASSERT_TRUE(down.Succeeded()) << down.Message;
  EXPECT_EQ(down.FinalUrl, plain.Url("/hello"));
}

}  // namespace
}  // namespace halvane::live::test
