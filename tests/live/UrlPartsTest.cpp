#include <gtest/gtest.h>

#include "live/UrlParts.h"

namespace halvane::live {
namespace {

TEST(UrlPartsTest, SplitsAnAddressAsTheTransferSeesIt) {
  const auto a = SplitUrl("HTTPS://User@Blog.Example.org/a/b?c=d#frag");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->Scheme, "https");
  EXPECT_EQ(a->Host, "blog.example.org");
  EXPECT_EQ(a->Port, 443);
  EXPECT_EQ(a->PathAndQuery, "/a/b?c=d");
  EXPECT_EQ(a->Origin(), "https://blog.example.org:443");
  const auto b = SplitUrl("http://[::1]:8080");
  ASSERT_TRUE(b.has_value());
  EXPECT_EQ(b->Host, "::1");
  EXPECT_EQ(b->PathAndQuery, "/");
  EXPECT_EQ(b->Origin(), "http://[::1]:8080");
}

TEST(UrlPartsTest, RefusesWhatNoTransferCouldFetch) {
  for (const char* bad : {"", "ftp://example.org/", "http://", "http://example.org:0/", "http://example.org:70000/",
                          "example.org/page", "http://exa mple.org/"}) {
    EXPECT_FALSE(SplitUrl(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace halvane::live
