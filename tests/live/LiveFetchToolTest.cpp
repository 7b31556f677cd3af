// halvane-fetch --live as a user runs it: every URL at once, bodies and
// status lines in command-line order, the exit status, TLS with a CA file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "tests/support/TTestPki.h"
#include "tests/support/TTestServer.h"
#include "tests/support/ToolRun.h"

namespace halvane::live::test {

using halvane::test::TTestPki;
using halvane::test::ReadFileText;
using halvane::test::RunTool;
using halvane::test::TTestServer;
using halvane::test::TToolRun;
namespace {

TToolRun RunFetch(const std::string& args) { return RunTool(std::string(HALVANE_FETCH_TOOL) + " " + args); }

TEST(LiveFetchToolTest, WritesBodiesInCommandLineOrder) {
  TTestServer a("127.0.0.1"), b("127.0.0.2");
  a.Routes().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // finishes last
    res.set_content("first,", "text/plain");
  });
  b.Routes().Get("/fast", [](const httplib::Request&, httplib::Response& res) { res.set_content("second", "text/plain"); });
  b.Routes().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("nope", "text/plain");
  });
  const TToolRun ok = RunFetch("--live --parallel 2 " + a.Url("/slow") + " " + b.Url("/fast"));
  EXPECT_EQ(ok.Status, 0) << ok.Err;
  EXPECT_EQ(ok.Out, "first,second");
  EXPECT_EQ(ok.Err, "HTTP/1.1 200 OK\nHTTP/1.1 200 OK\n");

  const TToolRun missing = RunFetch("--live " + b.Url("/missing") + " " + a.Url("/slow"));
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Out, "nopefirst,");
  EXPECT_EQ(missing.Err, "HTTP/1.1 404 Not Found\nHTTP/1.1 200 OK\n");
}

TEST(LiveFetchToolTest, VerifiesTlsWithTheGivenCaFile) {
  TTestPki pki;
  TTestServer server("127.0.0.1", pki.Server().ServerCertificate(), pki.Server().ServerKey());
  server.Routes().Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("secret", "text/plain"); });
  const std::string file = ::testing::TempDir() + "halvane_live_fetch_o_" + std::to_string(::getpid());
  std::remove(file.c_str());
  const TToolRun trusted = RunFetch("--live --ca-file " + pki.CaFile() + " -o " + file + " " + server.Url("/"));
  EXPECT_EQ(trusted.Status, 0) << trusted.Err;
  EXPECT_EQ(trusted.Out, "");
  EXPECT_EQ(ReadFileText(file), "secret");
  std::remove(file.c_str());

  const TToolRun untrusted = RunFetch("--live " + server.Url("/"));
  EXPECT_EQ(untrusted.Status, 1);
  EXPECT_EQ(untrusted.Err.rfind("error: certificate verify failed for 127.0.0.1", 0), 0u) << untrusted.Err;
}

TEST(LiveFetchToolTest, RefusesABadCommandLine) {
  EXPECT_EQ(RunFetch("--live").Status, 2);
  EXPECT_EQ(RunFetch("--live --parallel 17 http://127.0.0.1/").Status, 2);
  EXPECT_EQ(RunFetch("--live --bogus http://127.0.0.1/").Status, 2);
}

}  // namespace
}  // namespace halvane::live::test
