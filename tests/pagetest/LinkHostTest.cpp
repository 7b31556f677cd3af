// The host a link points to, and the user's domain as a host.
#include <gtest/gtest.h>

#include "pagetest/LinkHost.h"

namespace halvane::pagetest {
namespace {

TEST(LinkHostTest, AddressesAsBrowsersReadThem) {
  EXPECT_EQ(HostOfLink("https://Blog.Example/a", "own.example"), "blog.example");
  EXPECT_EQ(HostOfLink("  http://u:p@blog.example:8080?x ", ""), "blog.example");
  EXPECT_EQ(HostOfLink("HTTP:\\\\blog.example\\a", ""), "blog.example");
  EXPECT_EQ(HostOfLink("https:///blog.example/", ""), "blog.example");
  EXPECT_EQ(HostOfLink("ht\ntp://bl\tog.example/", ""), "blog.example");
  EXPECT_EQ(HostOfLink("//blog.example/x", ""), "blog.example");
  EXPECT_EQ(HostOfLink("https://%62log.example/", ""), "blog.example");
  EXPECT_EQ(HostOfLink("https://m\xC3\xBCnchen.example/", ""), "xn--mnchen-3ya.example");
  EXPECT_EQ(HostOfLink("http://[::1]:80/", ""), "[::1]");
}

TEST(LinkHostTest, RelativeAddressesAreOnTheOwnHostOthersOnNone) {
  for (const char* relative : {"/a", "a/b", "?p=4", "#comment-2", "", "./x:y"}) {
    EXPECT_EQ(HostOfLink(relative, "own.example"), "own.example") << relative;
  }
  for (const char* none : {"mailto:a@b.example", "javascript:void(0)", "ftp://b.example/", "tel:1", "https://",
                           "http://:80/", "https://bad\xFF.example/"}) {
    EXPECT_FALSE(HostOfLink(none, "own.example")) << none;
  }
}

TEST(LinkHostTest, TheUsersDomainIsReducedToAHost) {
  EXPECT_EQ(UserDomainHost("https://www.MyShop.example/page"), "myshop.example");
  EXPECT_EQ(UserDomainHost(" myshop.example "), "myshop.example");
  EXPECT_EQ(UserDomainHost("myshop.example/shop?x"), "myshop.example");
  EXPECT_EQ(UserDomainHost("shop.myshop.example:8443"), "shop.myshop.example");
  EXPECT_EQ(UserDomainHost("MyShop.example."), "myshop.example");
  EXPECT_EQ(UserDomainHost("www.example"), "www.example");  // nothing left to be a domain
  EXPECT_EQ(UserDomainHost(UserDomainHost("http://www.myshop.example")), "myshop.example");
  EXPECT_EQ(UserDomainHost(""), "");
  EXPECT_EQ(UserDomainHost("https://"), "");
}

}  // namespace
}  // namespace halvane::pagetest
