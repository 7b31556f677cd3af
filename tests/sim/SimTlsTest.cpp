// The simulated web over TLS, seen by libcurl as the live client sees it:
// its own CA verifies every address and host name, nothing else does, the
// same pages and faults come over both schemes, and tls-bad-cert fails the
// host-name check.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/TSimProcess.h"

namespace halvane::sim {
namespace {

struct TCurlResult {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
  std::string error;
  std::string location;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// One GET; caFile empty keeps the system trust store. resolve: curl's
// "host:port:address" entry, for names under sim.test.
TCurlResult CurlGet(const std::string& url, const std::string& caFile, const std::string& resolve = {}) {
  TCurlResult r;
  CURL* curl = curl_easy_init();
  char error[CURL_ERROR_SIZE] = {};
  curl_slist* resolveList = resolve.empty() ? nullptr : curl_slist_append(nullptr, resolve.c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &r.body);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  if (!caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
  if (resolveList) curl_easy_setopt(curl, CURLOPT_RESOLVE, resolveList);
  r.code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r.status);
  char* location = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location) r.location = location;
  r.error = error;
  curl_easy_cleanup(curl);
  curl_slist_free_all(resolveList);
  return r;
}

class SimTls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    sim_ = new test::TSimProcess(std::string(HALVANE_TEST_DATA) + "/sim/small.conf");
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
    curl_global_cleanup();
  }
  void TearDown() override { sim_->ClearFaults(); }

  static std::string Https(const std::string& ip, const std::string& target) {
    return "https://" + ip + ":" + std::to_string(sim_->HttpsPort()) + target;
  }
  static std::string Http(const std::string& ip, const std::string& target) {
    return "http://" + ip + ":" + std::to_string(sim_->Port()) + target;
  }
  static inline test::TSimProcess* sim_ = nullptr;
};

const std::string kUpdate = "/liveupdate/halvane/mainappupdate.inf";

TEST_F(SimTls, TheTestCaVerifiesEveryAddressAndName) {
  ASSERT_TRUE(std::filesystem::is_regular_file(sim_->CaFile()));
  EXPECT_NE(sim_->HttpsPort(), sim_->Port());
  for (const std::string ip : {"127.0.0.1", "127.0.0.2", "127.0.0.6"}) {
    const TCurlResult r = CurlGet(Https(ip, "/"), sim_->CaFile());
    EXPECT_EQ(r.code, CURLE_OK) << ip << ": " << r.error;
    EXPECT_EQ(r.status, 200) << ip;
  }
  const std::string port = std::to_string(sim_->HttpsPort());
  for (const std::string host : {"blog.sim.test", "localhost"}) {
    const TCurlResult r = CurlGet("https://" + host + ":" + port + "/", sim_->CaFile(), host + ":" + port + ":127.0.0.3");
    EXPECT_EQ(r.code, CURLE_OK) << host << ": " << r.error;
  }
  // The wildcard covers one label only, as clients read it.
  const TCurlResult deep = CurlGet("https://a.b.sim.test:" + port + "/", sim_->CaFile(), "a.b.sim.test:" + port + ":127.0.0.3");
  EXPECT_EQ(deep.code, CURLE_PEER_FAILED_VERIFICATION) << deep.error;
  // The info route names the https port and the CA file.
  const TCurlResult info = CurlGet(Https("127.0.0.1", "/_sim/info"), sim_->CaFile());
  EXPECT_NE(info.body.find("https-port=" + port + "\n"), std::string::npos) << info.body;
  EXPECT_NE(info.body.find("ca-file=" + sim_->CaFile() + "\n"), std::string::npos) << info.body;
}

TEST_F(SimTls, WithoutTheTestCaVerificationFails) {
  // The system trust store does not know the throw-away CA.
  const TCurlResult r = CurlGet(Https("127.0.0.1", kUpdate), {});
  EXPECT_EQ(r.code, CURLE_PEER_FAILED_VERIFICATION) << r.error;
  EXPECT_EQ(r.body, "");
}

TEST_F(SimTls, BothSchemesServeTheSameBytes) {
  for (const auto& [ip, target] : {std::pair<std::string, std::string>{"127.0.0.1", kUpdate},
                                   {"127.0.0.1", "/search?num=100&hl=en&q=blue+widgets&btnG=Search&start=100"},
                                   {"127.0.0.3", "/"},
                                   {"127.0.0.1", "/_sim/body?size=70000"}}) {
    const TCurlResult plain = CurlGet(Http(ip, target), {});
    const TCurlResult secure = CurlGet(Https(ip, target), sim_->CaFile());
    ASSERT_EQ(secure.code, CURLE_OK) << secure.error;
    EXPECT_EQ(plain.status, secure.status) << target;
    EXPECT_FALSE(secure.body.empty());
    EXPECT_EQ(plain.body, secure.body) << target;
  }
}

TEST_F(SimTls, FaultsApplyOverTls) {
  const TCurlResult status = CurlGet(Https("127.0.0.3", "/?_fault=status:503"), sim_->CaFile());
  EXPECT_EQ(status.status, 503);
  const std::string body = CurlGet(Https("127.0.0.1", "/_sim/body?size=3000"), sim_->CaFile()).body;
  ASSERT_EQ(body.size(), 3000u);
  for (const char* fault : {"chunked,piece:7", "close,piece:100", "piece:1000,piece-delay:5"}) {
    const TCurlResult r = CurlGet(Https("127.0.0.1", "/_sim/body?size=3000&_fault=" + std::string(fault)), sim_->CaFile());
    EXPECT_EQ(r.code, CURLE_OK) << fault << ": " << r.error;
    EXPECT_EQ(r.body, body) << fault;
  }
  const TCurlResult dropped = CurlGet(Https("127.0.0.1", "/_sim/body?size=3000&_fault=drop:100"), sim_->CaFile());
  EXPECT_NE(dropped.code, CURLE_OK);
  EXPECT_EQ(dropped.body, body.substr(0, 100));
  // Rules see the https address.
  ASSERT_TRUE(sim_->SetFaults("https://127.0.0.4: status:404\n"));
  EXPECT_EQ(CurlGet(Https("127.0.0.4", "/"), sim_->CaFile()).status, 404);
  EXPECT_EQ(CurlGet(Http("127.0.0.4", "/"), {}).status, 200);
}

TEST_F(SimTls, RedirectsStayOnTheirSchemeUnlessSentAcross) {
  const TCurlResult hop = CurlGet(Https("127.0.0.1", kUpdate + "?_fault=redirect:2"), sim_->CaFile());
  EXPECT_EQ(hop.status, 302);
  EXPECT_EQ(hop.location.rfind(Https("127.0.0.1", "/_sim/redirect/1/"), 0), 0u) << hop.location;
  // An absolute target takes the last hop to the other scheme, both ways.
  const TCurlResult down = CurlGet(Https("127.0.0.1", "/_sim/redirect/1/" + Http("127.0.0.3", "/")), sim_->CaFile());
  EXPECT_EQ(down.location, Http("127.0.0.3", "/"));
  const TCurlResult up = CurlGet(Http("127.0.0.1", "/_sim/redirect/2/" + Https("127.0.0.3", "/")), {});
  EXPECT_EQ(up.location.rfind(Http("127.0.0.1", "/_sim/redirect/1/https://"), 0), 0u) << up.location;
  const TCurlResult last = CurlGet(up.location, {});
  EXPECT_EQ(last.location, Https("127.0.0.3", "/"));
}

TEST_F(SimTls, BadCertificateRuleFailsTheNameCheckPerConnection) {
  ASSERT_TRUE(sim_->SetFaults("127.0.0.4: tls-bad-cert,count:2\n"));
  for (int i = 0; i < 2; ++i) {
    const TCurlResult r = CurlGet(Https("127.0.0.4", "/"), sim_->CaFile());
    EXPECT_EQ(r.code, CURLE_PEER_FAILED_VERIFICATION) << i << ": " << r.error;
    EXPECT_NE(r.error.find("127.0.0.4"), std::string::npos) << r.error;
  }
  // Used up; other addresses and plain http were never touched.
  EXPECT_EQ(CurlGet(Https("127.0.0.4", "/"), sim_->CaFile()).code, CURLE_OK);
  ASSERT_TRUE(sim_->SetFaults("127.0.0.4: tls-bad-cert\n"));
  EXPECT_EQ(CurlGet(Https("127.0.0.3", "/"), sim_->CaFile()).code, CURLE_OK);
  EXPECT_EQ(CurlGet(Http("127.0.0.4", "/"), {}).status, 200);
  EXPECT_EQ(CurlGet(Https("127.0.0.4", "/"), sim_->CaFile()).code, CURLE_PEER_FAILED_VERIFICATION);
  // A marker comes too late to choose a certificate, and says so.
  const TCurlResult marker = CurlGet(Http("127.0.0.1", kUpdate + "?_fault=tls-bad-cert"), {});
  EXPECT_EQ(marker.status, 400);
  EXPECT_NE(marker.body.find("rule"), std::string::npos);
}

TEST(SimTlsFolder, TheTemporaryCaGoesWithTheServer) {
  std::string folder;
  {
    test::TSimProcess sim;
    folder = std::filesystem::path(sim.CaFile()).parent_path();
    ASSERT_TRUE(std::filesystem::exists(sim.CaFile()));
  }
  EXPECT_FALSE(std::filesystem::exists(folder)) << folder;
}

}  // namespace
}  // namespace halvane::sim
