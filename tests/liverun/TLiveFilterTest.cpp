#include <gtest/gtest.h>

#include "liverun/TLiveFilter.h"
#include "tests/liverun/LiveResultRows.h"

namespace halvane::liverun {
namespace {

using TYesNo = TLiveFilter::TYesNo;

TLiveResult Row(bool open, pagetest::TCommentLinks links, bool yourLink, std::optional<int> authority,
                std::optional<bool> isNew) {
  return test::KnownRow("https://blog.example/post", open, links, yourLink, authority, isNew);
}

TEST(LiveFilter, AnEmptyFilterLetsEveryRowThrough) {
  const TLiveFilter filter;
  EXPECT_FALSE(filter.Active());
  EXPECT_TRUE(filter.Accepts(Row(false, pagetest::TCommentLinks::NoneYet, false, {}, {})));
  TLiveResult awaited;
  EXPECT_TRUE(filter.Accepts(awaited));
}

TEST(LiveFilter, EachCriterionKeepsOnlyTheRowsThatMeetIt) {
  const TLiveResult open = Row(true, pagetest::TCommentLinks::Followed, true, 5, true);
  const TLiveResult closed = Row(false, pagetest::TCommentLinks::Mixed, false, 2, false);

  TLiveFilter filter;
  filter.CommentsOpen = TYesNo::Yes;
  EXPECT_TRUE(filter.Active());
  EXPECT_TRUE(filter.Accepts(open));
  EXPECT_FALSE(filter.Accepts(closed));
  filter.CommentsOpen = TYesNo::No;
  EXPECT_FALSE(filter.Accepts(open));
  EXPECT_TRUE(filter.Accepts(closed));

  filter = {};
  filter.CommentLinks = pagetest::TCommentLinks::Mixed;
  EXPECT_FALSE(filter.Accepts(open));
  EXPECT_TRUE(filter.Accepts(closed));

  filter = {};
  filter.HasYourLink = TYesNo::No;
  EXPECT_FALSE(filter.Accepts(open));
  EXPECT_TRUE(filter.Accepts(closed));

  filter = {};
  filter.NewOnly = true;
  EXPECT_TRUE(filter.Accepts(open));
  EXPECT_FALSE(filter.Accepts(closed));
  // A run without a memory knows nothing of new pages.
  EXPECT_FALSE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, true, 5, std::nullopt)));
}

TEST(LiveFilter, MinimumAuthorityIsInclusiveAndUnknownOrAwaitedFiguresFail) {
  TLiveFilter filter;
  filter.MinAuthority = 5;
  EXPECT_TRUE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, 5, {})));
  EXPECT_FALSE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, 4, {})));
  EXPECT_FALSE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, std::nullopt, {})));
  TLiveResult awaited = Row(true, pagetest::TCommentLinks::Followed, false, 9, {});
  awaited.AuthorityAwaited = true;
  EXPECT_FALSE(filter.Accepts(awaited));
  // 0 still asks for a known figure.
  filter.MinAuthority = 0;
  EXPECT_TRUE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, 0, {})));
  EXPECT_FALSE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, std::nullopt, {})));
}

TEST(LiveFilter, CriteriaCombine) {
  TLiveFilter filter;
  filter.CommentsOpen = TYesNo::Yes;
  filter.HasYourLink = TYesNo::No;
  filter.MinAuthority = 3;
  EXPECT_TRUE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, 3, {})));
  EXPECT_FALSE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, true, 3, {})));
  EXPECT_FALSE(filter.Accepts(Row(false, pagetest::TCommentLinks::Followed, false, 3, {})));
  EXPECT_FALSE(filter.Accepts(Row(true, pagetest::TCommentLinks::Followed, false, 2, {})));
}

}  // namespace
}  // namespace halvane::liverun
