// WaitUntil: asks until yes, and gives up only once the limit has passed,
// having asked at the limit too.
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

namespace halvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(WaitUntil, AsksAgainUntilYesAndNoMore) {
  int asked = 0;
  EXPECT_TRUE(WaitUntil([&] { return ++asked == 5; }, 60s));
  EXPECT_EQ(asked, 5);
}

TEST(WaitUntil, GivesUpOnlyAfterTheLimitHavingAskedAtIt) {
  int asked = 0;
  Clock::time_point last;
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(WaitUntil(
      [&] {
        ++asked;
        last = Clock::now();
        return false;
      },
      30ms));
  EXPECT_GT(asked, 1);
  EXPECT_GE(last - start, 30ms);
}

TEST(WaitUntil, AZeroLimitStillAsksOnce) {
  int asked = 0;
  EXPECT_TRUE(WaitUntil([&] { return ++asked == 1; }, 0ms));
  EXPECT_FALSE(WaitUntil([&] { return ++asked == 1; }, 0ms));
  EXPECT_EQ(asked, 2);
}

}  // namespace
}  // namespace halvane::test
