#include <gtest/gtest.h>

#include <string>

#include "live/RegistrableDomain.h"

namespace halvane::live {
namespace {

TEST(RegistrableDomainTest, FoldsHostsOntoTheirRegistrableDomain) {
  EXPECT_EQ(RegistrableDomain("www.blog.example.co.uk"), "example.co.uk");
  EXPECT_EQ(RegistrableDomain("WWW.Example.COM"), "example.com");
  EXPECT_EQ(RegistrableDomain("example.com."), "example.com");
  EXPECT_EQ(RegistrableDomain("someone.github.io"), "someone.github.io");
}

TEST(RegistrableDomainTest, LowerCasesInternationalNamesBeforeTheLookup) {
  EXPECT_EQ(RegistrableDomain("www.M\xC3\x9CNCHEN.de"), "xn--mnchen-3ya.de");
  EXPECT_EQ(RegistrableDomain("www.m\xC3\xBCnchen.de"), "xn--mnchen-3ya.de");
  EXPECT_EQ(RegistrableDomain("blog.xn--mnchen-3ya.de"), "xn--mnchen-3ya.de");
  // A suffix that is itself internationalised: "shop.example.香港" (.hk's IDN sibling).
  EXPECT_EQ(RegistrableDomain("shop.Example.\xE9\xA6\x99\xE6\xB8\xAF"), "example.xn--j6w193g");
  EXPECT_EQ(RegistrableDomain("\xFF.example"), "");  // not UTF-8
}

TEST(RegistrableDomainTest, HasNoneForSuffixesAddressesAndEmptyNames) {
  EXPECT_EQ(RegistrableDomain("co.uk"), "");
  EXPECT_EQ(RegistrableDomain("127.0.0.2"), "");
  EXPECT_EQ(RegistrableDomain("::1"), "");
  EXPECT_EQ(RegistrableDomain(""), "");
  // A NUL byte (hostile bytes harvested as an address) must not cut the name
  // short: "example.com" is not this host's domain.
  EXPECT_EQ(RegistrableDomain(std::string("www.example.com\0.evil.org", 25)), "");
}

TEST(RegistrableDomainTest, TakesTheHostOutOfAnAddress) {
  EXPECT_EQ(HostOfUrl("https://User@Blog.Example.org:8443/a?b#c"), "blog.example.org");
  EXPECT_EQ(HostOfUrl("http://[::1]:80/x"), "::1");
  EXPECT_EQ(HostOfUrl("http://example.com"), "example.com");
  EXPECT_EQ(HostOfUrl("no address"), "");
}

}  // namespace
}  // namespace halvane::live
