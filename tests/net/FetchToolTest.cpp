// halvane-fetch as a user runs it: output, the status lines on standard
// error, the exit status, and one client across all URLs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "tests/support/TScriptedServer.h"
#include "tests/support/ToolRun.h"
#include "tools/fetch/FetchExitCodes.h"

namespace halvane {
namespace {

using test::ReadFileText;
using test::RunTool;
using test::TScriptedServer;
using test::TToolRun;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TToolRun RunFetch(const std::string& args) { return RunTool(std::string(HALVANE_FETCH_TOOL) + " " + args); }

std::string Ok(const std::string& body, const std::string& headers = "") {
  return "HTTP/1.1 200 OK\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(FetchTool, GetsEveryUrlWithOneClientAndReportsEachStatus) {
  TScriptedServer server;
  server.NextConnection()
      .Expect()
      .Send(Ok("one,", "Set-Cookie: s=1\r\n"))
      .Expect()
      .Send("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope")
      .Expect()
      .Send(Ok("three"));
  const TToolRun run = RunFetch(server.Url("/1") + " " + server.Url("/2") + " " + server.Url("/3"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "one,three");
  EXPECT_EQ(run.Err, "HTTP/1.1 200 OK\nHTTP/1.1 404 Not Found\nHTTP/1.1 200 OK\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_THAT(requests[2], HasSubstr("\r\nCookie: s=1\r\n"));
}

TEST(FetchTool, AppendsToTheOutputFileAndNamesFailures) {
  TScriptedServer server;
  server.Reply(Ok("body"));
  const std::string path = ::testing::TempDir() + "halvane_fetch_file_" + std::to_string(::getpid());
  {
    std::ofstream(path) << "kept:";
  }
  TToolRun run = RunFetch("-o " + path + " " + server.Url("/x"));
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(ReadFileText(path), "kept:body");
  std::remove(path.c_str());

  run = RunFetch("https://127.0.0.1/");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "error: https refused\n");
  EXPECT_EQ(RunFetch("").Status, 2);
  EXPECT_EQ(RunFetch("--post novalue http://127.0.0.1/").Status, 2);
}

TEST(FetchTool, PostsTheFieldsInOrder) {
  TScriptedServer server;
  server.Reply(Ok("OK posted"));
  const TToolRun run = RunFetch("--post cmd=getlastnews --post 'id=7%&x' " + server.Url("/news.php"));
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "OK posted");
  EXPECT_EQ(run.Err, "HTTP/1.1 200 OK\n");
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_THAT(request, StartsWith("POST /news.php HTTP/1.0\r\n"));
  const auto cmd = request.find("name=\"cmd\"\r\n\r\ngetlastnews\r\n");
  const auto id = request.find("name=\"id\"\r\n\r\n7%&x\r\n");
  ASSERT_NE(cmd, std::string::npos);
  ASSERT_NE(id, std::string::npos);
  EXPECT_LT(cmd, id);
}

TEST(FetchTool, StatusLineBytesThatATerminalWouldActOnAreEscaped) {
  TScriptedServer server;
  server.Reply("HTTP/1.1 200 \x1b]0;owned\x07\x1b[2J\\ok\x9b\r\nContent-Length: 1\r\n\r\nx");
  const TToolRun run = RunFetch(server.Url());
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Err, "HTTP/1.1 200 \\x1b]0;owned\\x07\\x1b[2J\\\\ok\\x9b\n");
}

TEST(FetchTool, RedirectChainEndingAtTheLimitIsNoSuccess) {
  TScriptedServer server;
  auto& script = server.NextConnection();
  for (int i = 0; i < 15; ++i) {
    script.Expect().Send("HTTP/1.1 200 OK\r\nLocation: /again\r\nContent-Length: 4\r\n\r\nbody");
  }
  const TToolRun run = RunFetch(server.Url("/again"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err, "HTTP/1.1 200 OK\nerror: redirect limit reached (15 requests)\n");
}

// Help wins wherever it stands and sends nothing; a bad command line still
// answers on standard error alone.
TEST(FetchTool, HelpShowsTheUsageAndEveryExitCode) {
  for (const std::string args : {"--help", "-h", "http://127.0.0.1:1/ -h", "--live -o /nonexistent/x --help",
                                 "--post a=b --help http://127.0.0.1:1/"}) {
    const TToolRun run = RunFetch(args);
    EXPECT_EQ(run.Status, 0) << args;
    EXPECT_EQ(run.Err, "") << args;
    EXPECT_THAT(run.Out, StartsWith("usage: halvane-fetch [-o FILE] URL [URL ...]\n")) << args;
    EXPECT_THAT(run.Out, HasSubstr("\n       halvane-fetch --live ")) << args;
    EXPECT_THAT(run.Out, HasSubstr("\nexit codes:\n")) << args;
    for (const int code : {kFetchSucceeded, kFetchFailed, kFetchBadArguments}) {
      EXPECT_THAT(run.Out, HasSubstr("\n  " + std::to_string(code) + "    ")) << args << " lacks " << code;
    }
  }
  const TToolRun bad = RunFetch("-o");
  EXPECT_EQ(bad.Status, kFetchBadArguments);
  EXPECT_EQ(bad.Out, "");
  EXPECT_THAT(bad.Err, StartsWith("halvane-fetch: -o needs a value\nusage: halvane-fetch [-o FILE]"));
}

}  // namespace
}  // namespace halvane
