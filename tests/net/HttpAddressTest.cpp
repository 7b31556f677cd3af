#include <gtest/gtest.h>

#include "net/HttpAddress.h"
#include "net/HttpDate.h"

namespace halvane {
namespace {

TEST(HttpAddress, PartsOfAbsoluteAddresses) {
  auto a = ParseAddress("HTTP://User:Pw@Example.COM:8080/a/b.php?x=1#top");
  EXPECT_TRUE(a.hasHost);
  EXPECT_EQ(a.scheme, "http");
  EXPECT_EQ(a.host, "example.com");
  EXPECT_EQ(a.port, 8080);
  EXPECT_EQ(a.target, "/a/b.php?x=1");
  a = ParseAddress("http:\\\\host\\dir\\page.html");
  EXPECT_EQ(a.host, "host");
  EXPECT_EQ(a.target, "/dir/page.html");
  a = ParseAddress("http://host?q=1");
  EXPECT_EQ(a.target, "/?q=1");
  EXPECT_EQ(ParseAddress("http://host").target, "/");
  EXPECT_EQ(ParseAddress("http://host:0/").port, 0);
  EXPECT_EQ(ParseAddress("http://host:8x/").port, 0);
  EXPECT_EQ(ParseAddress("http://[::1]:81/").host, "::1");
  EXPECT_EQ(ParseAddress("http://[::1]:81/").port, 81);
  EXPECT_FALSE(ParseAddress("next.html").hasHost);
  EXPECT_FALSE(ParseAddress("/a?u=http://x").hasHost);
}

TEST(HttpAddress, DirectoryPathAndRelativeTargets) {
  EXPECT_EQ(DirectoryPath("/a/b.html"), "/a/");
  EXPECT_EQ(DirectoryPath("/a/b?next=/c/d"), "/a/");
  EXPECT_EQ(DirectoryPath("/a/b=/c/d"), "/a/");
  EXPECT_EQ(DirectoryPath("/"), "/");
  EXPECT_EQ(ResolveTarget("/a/", "next.html"), "/a/next.html");
  EXPECT_EQ(ResolveTarget("/a/b/", "../c/./d.html"), "/a/c/d.html");
  EXPECT_EQ(ResolveTarget("/a/", "../../../x"), "/x");
  EXPECT_EQ(ResolveTarget("/a/", "sub/.."), "/a/");
  EXPECT_EQ(ResolveTarget("/a/", "p?x=../y"), "/a/p?x=../y");
  EXPECT_EQ(ResolveTarget("/a/", "/abs/./x"), "/abs/./x");
}

TEST(HttpAddress, Ipv4Recognition) {
  EXPECT_TRUE(IsIpv4Address("127.0.0.1"));
  EXPECT_FALSE(IsIpv4Address("256.0.0.1"));
  EXPECT_FALSE(IsIpv4Address("1.2.3"));
  EXPECT_FALSE(IsIpv4Address("a.b.c.d"));
  EXPECT_FALSE(IsIpv4Address("1.2.3.4."));
}

TEST(HttpDate, UsualFormsAndJunk) {
  const std::int64_t t = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), t);
  EXPECT_EQ(ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), t);
  EXPECT_EQ(ParseHttpDate("Sun Nov  6 08:49:37 1994"), t);
  EXPECT_EQ(ParseHttpDate("Sun, 06-Nov-1994 08:49:37 GMT"), t);
  EXPECT_EQ(ParseHttpDate("Thu, 01 Jan 2037 00:00:00 GMT"), 2114380800);
  EXPECT_FALSE(ParseHttpDate(""));
  EXPECT_FALSE(ParseHttpDate("tomorrow"));
  EXPECT_FALSE(ParseHttpDate("Sun, 31 Feb 1994 08:49:37 GMT"));
  EXPECT_FALSE(ParseHttpDate("Sun, 06 Nov 1994 25:49:37 GMT"));
  EXPECT_FALSE(ParseHttpDate("Sun, 06 Nov 99999999999999999999 08:49:37 GMT"));
}

}  // namespace
}  // namespace halvane
