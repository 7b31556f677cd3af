#include <gtest/gtest.h>

#include "classicrun/TRankSlot.h"

namespace halvane::test {
namespace {

TEST(RankSlot, KeepsOnlyTheNewestQuerysAnswer) {
  TRankSlot slot;
  const std::uint64_t old = slot.Begin();
  EXPECT_EQ(slot.Text(), std::string());
  const std::uint64_t current = slot.Begin();
  EXPECT_FALSE(slot.Store(old, "7"));
  EXPECT_EQ(slot.Text(), std::string());
  EXPECT_TRUE(slot.Store(current, "3"));
  EXPECT_EQ(slot.Text(), std::string("3"));
  slot.Begin();
  EXPECT_EQ(slot.Text(), std::string());
}

}  // namespace
}  // namespace halvane::test
