#include <gtest/gtest.h>

#include <ctime>

#include "live/RetryAfter.h"

namespace halvane::live {
namespace {

std::time_t At(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return timegm(&t);
}

TEST(RetryAfterTest, ReadsDelaySeconds) {
  EXPECT_EQ(RetryAfterSeconds("12", 0), 12);
  EXPECT_EQ(RetryAfterSeconds(" 0\t", 0), 0);
  EXPECT_EQ(RetryAfterSeconds("007", 0), 7);
  EXPECT_EQ(RetryAfterSeconds("99999999999999999999999999", 0), 24 * 3600);  // no overflow
}

TEST(RetryAfterTest, ReadsHttpDatesAgainstNow) {
  const std::time_t now = At(2026, 12, 9, 18, 0, 0);
  EXPECT_EQ(RetryAfterSeconds("Wed, 09 Dec 2026 18:00:30 GMT", now), 30);
  EXPECT_EQ(RetryAfterSeconds("Wednesday, 09-Dec-26 18:01:00 GMT", now), 60);  // the obsolete form
  EXPECT_EQ(RetryAfterSeconds("Wed, 09 Dec 2026 17:00:00 GMT", now), 0);       // already past
  EXPECT_EQ(RetryAfterSeconds("Wed, 09 Dec 2027 18:00:00 GMT", now), 24 * 3600);
}

TEST(RetryAfterTest, RefusesAnythingElse) {
  for (const char* bad : {"", "  ", "-5", "1.5", "12 s", "soon", "0x10"}) {
    EXPECT_FALSE(RetryAfterSeconds(bad, 0).has_value()) << bad;
  }
  EXPECT_FALSE(RetryAfterSeconds(std::string(200, '1') + "x", 0).has_value());
  EXPECT_FALSE(RetryAfterSeconds(std::string_view("1\0 2", 4), 0).has_value());
}

}  // namespace
}  // namespace halvane::live
