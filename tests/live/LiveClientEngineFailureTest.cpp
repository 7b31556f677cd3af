// When libcurl's multi handle cannot be made, or fails while transfers run,
// every request still ends, with an error that says so. The test binary is
// linked with --wrap for the two libcurl calls, so that they fail on demand.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>

#include "tests/live/LiveTestSupport.h"
#include "tests/support/TTestServer.h"

namespace {
std::atomic<bool> gFailInit{false};
std::atomic<bool> gFailPoll{false};
}  // namespace

extern "C" {
CURLM* __real_curl_multi_init();
CURLMcode __real_curl_multi_poll(CURLM* multi, curl_waitfd fds[], unsigned count, int timeoutMs, int* ready);

CURLM* __wrap_curl_multi_init() { return gFailInit ? nullptr : __real_curl_multi_init(); }
CURLMcode __wrap_curl_multi_poll(CURLM* multi, curl_waitfd fds[], unsigned count, int timeoutMs, int* ready) {
  if (gFailPoll) return CURLM_OUT_OF_MEMORY;
  return __real_curl_multi_poll(multi, fds, count, timeoutMs, ready);
}
}

namespace halvane::live::test {
namespace {

using halvane::test::TTestServer;

TEST(LiveClientEngineFailureTest, WithoutAMultiHandleEveryRequestEnds) {
  gFailInit = true;
  TLiveClient client(QuickSettings());
  gFailInit = false;
  TAnswers answers;
  answers.Submit(client, Request("http://127.0.0.1:9/a"));
  TLiveRequest page = Request("http://127.0.0.1:9/b");
  page.Kind = TRequestKind::Page;
  answers.Submit(client, page);
  for (const TLiveResponse& r : answers.Wait(2)) {
    EXPECT_EQ(r.Error, TLiveError::NoNetwork);
    EXPECT_EQ(r.Message, "libcurl could not start its transfer engine (out of memory?); nothing can be fetched");
  }
}

TEST(LiveClientEngineFailureTest, AFailingMultiHandleEndsWhatRuns) {
  TTestServer server;
  std::atomic<bool> arrived{false}, released{false};
  server.Routes().Get("/hang", [&](const httplib::Request&, httplib::Response& res) {
    arrived = true;
    while (!released) std::this_thread::yield();  // held until the engine has failed
    res.set_content("late", "text/plain");
  });
  TLiveClient client(QuickSettings());
  TAnswers answers;
  answers.Submit(client, Request(server.Url("/hang")));
  answers.Submit(client, Request(server.Url("/hang")));  // queued behind it: one per host
  while (!arrived) std::this_thread::yield();
  gFailPoll = true;
  const auto ended = answers.Wait(2);
  for (const TLiveResponse& r : ended) {
    EXPECT_EQ(r.Error, TLiveError::NoNetwork);
    EXPECT_EQ(r.Message, "libcurl's transfer engine failed: Out of memory; nothing can be fetched");
  }
  released = true;
  gFailPoll = false;
  EXPECT_EQ(Get(client, server.Url("/hang")).Error, TLiveError::NoNetwork);  // and so does every later one
}

}  // namespace
}  // namespace halvane::live::test
