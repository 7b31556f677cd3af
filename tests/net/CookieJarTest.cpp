#include <gtest/gtest.h>

#include "net/TCookieJar.h"

namespace halvane {
namespace {

constexpr std::int64_t kNow = 1200000000;  // 2008

TEST(CookieJar, DomainCookieOfThreeLabelHostIsStoredAndSentBack) {
  TCookieJar jar;
  jar.Store("a=1; Domain=.y.z", "x.y.z", kNow);
  EXPECT_EQ(jar.HeaderFor("x.y.z", "/"), "a=1");
  TCookieJar other;
  other.Store("a=1; Domain=.y.z", "w.x.y.z", kNow);  // not the host minus its first label
  EXPECT_TRUE(other.Cookies().empty());
}

TEST(CookieJar, StoringRules) {
  EXPECT_TRUE(TCookieJar::MayStore("a.b.c", "a.b.c"));
  EXPECT_TRUE(TCookieJar::MayStore(".b.c", "a.b.c"));
  EXPECT_FALSE(TCookieJar::MayStore("b.c", "a.b.c"));
  EXPECT_FALSE(TCookieJar::MayStore(".c", "b.c"));  // a whole top-level domain
  EXPECT_FALSE(TCookieJar::MayStore(".0.0.1", "127.0.0.1"));
  EXPECT_TRUE(TCookieJar::MayStore("127.0.0.1", "127.0.0.1"));
  EXPECT_FALSE(TCookieJar::MayStore("evil.com", "a.b.c"));
}

TEST(CookieJar, SentOnlyToTheDomainItselfOrBelowIt) {
  EXPECT_TRUE(TCookieJar::DomainMatches(".b.c", "x.b.c"));
  EXPECT_TRUE(TCookieJar::DomainMatches(".b.c", "deep.x.b.c"));
  EXPECT_TRUE(TCookieJar::DomainMatches(".b.c", "b.c"));
  EXPECT_FALSE(TCookieJar::DomainMatches(".b.c", "x.b.c.evil.net"));
  EXPECT_FALSE(TCookieJar::DomainMatches(".b.c", "xb.c"));
  EXPECT_TRUE(TCookieJar::DomainMatches("a.b.c", "a.b.c"));
  EXPECT_FALSE(TCookieJar::DomainMatches("a.b.c", "z.a.b.c"));
  TCookieJar jar;
  jar.Store("host=1", "a.b.c", kNow);
  EXPECT_EQ(jar.HeaderFor("A.B.C", "/"), "host=1");
  EXPECT_EQ(jar.HeaderFor("a.b.c.evil.net", "/"), "");
}

TEST(CookieJar, PathsOrderReplacementAndEmptyOrSecureValues) {
  TCookieJar jar;
  jar.Store("root=r", "h.example.com", kNow);
  jar.Store("deep=d; path=\"/x/y/\"", "h.example.com", kNow);
  jar.Store("mid=m; Path=/x/", "h.example.com", kNow);
  jar.Store("empty=", "h.example.com", kNow);
  jar.Store("sec=s; Secure", "h.example.com", kNow);
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/x/y/"), "deep=d; mid=m; root=r");
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/y/"), "root=r");
  jar.Store("ROOT=new; Path=/q/", "h.example.com", kNow);  // same name, any path: replaces
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/"), "");
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/q/"), "ROOT=new");
}

TEST(CookieJar, ExpiryByDateMaxAgeAndUnreadableDate) {
  TCookieJar jar;
  jar.Store("past=1; Expires=Thu, 01 Jan 1998 00:00:00 GMT", "h.example.com", kNow);
  jar.Store("future=1; Expires=Fri, 01 Jan 2038 00:00:00 GMT", "h.example.com", kNow);
  jar.Store("soon=1; Max-Age=60", "h.example.com", kNow);
  jar.Store("junk=1; Expires=whenever", "h.example.com", kNow);
  jar.Store("both=1; Expires=Fri, 01 Jan 2038 00:00:00 GMT; Max-Age=0", "h.example.com", kNow);
  jar.RemoveExpired(kNow);
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/"), "future=1; soon=1; both=1");
  jar.RemoveExpired(kNow + 61);
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/"), "future=1; both=1");
}

TEST(CookieJar, HostileInputStaysBounded) {
  TCookieJar jar;
  for (int i = 0; i < 200; ++i) jar.Store(std::string("c").append(std::to_string(i)).append("=v"), "h.example.com", kNow);
  EXPECT_EQ(jar.Cookies().size(), TCookieJar::kMaxPerDomain);
  jar.Store("=novalue", "h.example.com", kNow);
  jar.Store("", "h.example.com", kNow);
  jar.Store("bad=a\rb", "h.example.com", kNow);
  EXPECT_EQ(jar.Cookies().size(), TCookieJar::kMaxPerDomain);
  EXPECT_EQ(jar.HeaderFor("h.example.com", "/").find("c0="), std::string::npos);
}

}  // namespace
}  // namespace halvane
