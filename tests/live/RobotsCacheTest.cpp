#include <gtest/gtest.h>

#include "live/TRobotsCache.h"

namespace halvane::live {
namespace {

using namespace std::chrono_literals;

TLiveResponse Answer(long status, std::string body = {}) {
  TLiveResponse r;
  r.Status = status;
  r.Body = std::move(body);
  return r;
}

TEST(RobotsCacheTest, KeepsAnAnswerForAtMostADay) {
  TRobotsCache cache("Halvane");
  const auto t0 = TRobotsCache::TClock::now();
  const std::string origin = "https://blog.example.org:443";
  EXPECT_EQ(cache.State(origin, t0), TRobotsCache::TState::Unknown);
  cache.MarkFetching(origin);
  EXPECT_EQ(cache.State(origin, t0), TRobotsCache::TState::Fetching);
  cache.Store(origin, Answer(200, "User-agent: *\nDisallow: /wp-admin/\n"), t0);
  EXPECT_EQ(cache.State(origin, t0 + 23h), TRobotsCache::TState::Known);
  EXPECT_EQ(cache.State(origin, t0 + 25h), TRobotsCache::TState::Unknown);
  EXPECT_FALSE(cache.Refusal(origin, "blog.example.org", "/2026/12/post/").has_value());
  const auto refusal = cache.Refusal(origin, "blog.example.org", "/wp-admin/x");
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->Error, TLiveError::RobotsDisallowed);
  cache.Forget(origin);
  EXPECT_EQ(cache.State(origin, t0), TRobotsCache::TState::Unknown);
}

TEST(RobotsCacheTest, TellsWhyAHostIsSkipped) {
  TRobotsCache cache("Halvane");
  const auto t0 = TRobotsCache::TClock::now();
  TLiveResponse timedOut;
  timedOut.Error = TLiveError::Timeout;
  timedOut.Message = "blog.example.org timed out after 30 s";
  cache.Store("a", timedOut, t0);
  cache.Store("b", Answer(429), t0);
  cache.Store("c", Answer(403, "User-agent: *\nDisallow: /\n"), t0);
  const auto a = cache.Refusal("a", "blog.example.org", "/");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->Error, TLiveError::RobotsUnavailable);
  EXPECT_EQ(a->Message, "robots.txt of blog.example.org could not be read: blog.example.org timed out after 30 s");
  ASSERT_TRUE(cache.Refusal("b", "x", "/").has_value());
  EXPECT_FALSE(cache.Refusal("c", "x", "/").has_value());  // a 4xx body is no robots.txt
}

// The run tells a site's rule (429, 5xx) from a robots.txt it could not
// fetch at all, which it reports as a failure with its error.
TEST(RobotsCacheTest, KeepsTheErrorThatKeptRobotsTxtFromBeingRead) {
  TRobotsCache cache("Halvane");
  const auto t0 = TRobotsCache::TClock::now();
  TLiveResponse badCertificate;
  badCertificate.Error = TLiveError::Tls;
  badCertificate.Message = "certificate verify failed for blog.example.org";
  cache.Store("a", badCertificate, t0);
  cache.Store("b", Answer(503), t0);
  const auto a = cache.Refusal("a", "blog.example.org", "/");
  const auto b = cache.Refusal("b", "x", "/");
  ASSERT_TRUE(a.has_value() && b.has_value());
  EXPECT_EQ(a->Error, TLiveError::RobotsUnavailable);
  EXPECT_EQ(a->RobotsCause, TLiveError::Tls);
  EXPECT_EQ(b->RobotsCause, TLiveError::None);
}

}  // namespace
}  // namespace halvane::live
