// Which page requests wait for which origin's robots.txt, without a network.
#include "live/TRobotsGate.h"

#include <gtest/gtest.h>

namespace halvane::live {
namespace {

using TStep = TRobotsGate::THold::TStep;
const TRobotsGate::TClock::time_point kT0{};
const std::string kOrigin = "https://blog.example:443";

TLiveResponse Answer(long status, std::string body = {}) {
  TLiveResponse r;
  r.Status = status;
  r.Body = std::move(body);
  return r;
}

TEST(RobotsGate, TheFirstPageOfAnOriginFetchesItsRobotsTxtAndTheOthersWait) {
  TRobotsGate gate("Halvane");
  const TRobotsGate::THold first = gate.Hold(kOrigin, 4, kT0);
  ASSERT_EQ(first.Step, TStep::Fetch);
  EXPECT_EQ(first.Address, "https://blog.example/robots.txt");
  EXPECT_EQ(first.Url.Host, "blog.example");
  EXPECT_EQ(gate.Hold(kOrigin, 2, kT0).Step, TStep::Held);
  EXPECT_EQ(gate.Hold("https://other.example:443", 3, kT0).Step, TStep::Fetch);

  const TRobotsGate::TReleased released = gate.Arrived(kOrigin, Answer(200, "User-agent: *\nDisallow: /private\n"), kT0);
  EXPECT_TRUE(released.Known);
  EXPECT_EQ(released.Pages, (std::vector<TRequestId>{4, 2}));
  EXPECT_EQ(gate.Hold(kOrigin, 5, kT0).Step, TStep::Admit);
  EXPECT_FALSE(gate.Refusal(kOrigin, "blog.example", "/post"));
  ASSERT_TRUE(gate.Refusal(kOrigin, "blog.example", "/private/x"));
  EXPECT_EQ(gate.Refusal(kOrigin, "blog.example", "/private/x")->Error, TLiveError::RobotsDisallowed);
}

TEST(RobotsGate, AFetchWithoutAnAnswerLetsTheNextPageFetchAgain) {
  TRobotsGate gate("Halvane");
  ASSERT_EQ(gate.Hold(kOrigin, 1, kT0).Step, TStep::Fetch);
  TLiveResponse aborted;
  aborted.Error = TLiveError::Aborted;
  const TRobotsGate::TReleased released = gate.Arrived(kOrigin, aborted, kT0);
  EXPECT_FALSE(released.Known);
  EXPECT_EQ(released.Pages, std::vector<TRequestId>{1});
  EXPECT_EQ(gate.Hold(kOrigin, 1, kT0).Step, TStep::Fetch);
}

TEST(RobotsGate, AnUnavailableRobotsTxtIsKnownAndRefusesThePages) {
  TRobotsGate gate("Halvane");
  gate.Hold(kOrigin, 1, kT0);
  EXPECT_TRUE(gate.Arrived(kOrigin, Answer(503), kT0).Known);
  ASSERT_TRUE(gate.Refusal(kOrigin, "blog.example", "/"));
  EXPECT_EQ(gate.Refusal(kOrigin, "blog.example", "/")->Error, TLiveError::RobotsUnavailable);
}

TEST(RobotsGate, ADroppedPageIsNotReleased) {
  TRobotsGate gate("Halvane");
  gate.Hold(kOrigin, 1, kT0);
  gate.Hold(kOrigin, 2, kT0);
  gate.Drop(kOrigin, 1);
  gate.Drop("https://nowhere.example:443", 2);
  EXPECT_EQ(gate.Arrived(kOrigin, Answer(404), kT0).Pages, std::vector<TRequestId>{2});
}

}  // namespace
}  // namespace halvane::live
