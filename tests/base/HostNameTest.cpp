#include "base/HostName.h"

#include <gtest/gtest.h>

namespace halvane {
namespace {

TEST(HostName, LowerCasesAndTurnsInternationalNamesIntoTheirAsciiForm) {
  EXPECT_EQ(AsciiHostName("Example.COM"), "example.com");
  EXPECT_EQ(AsciiHostName("www.MÜNCHEN.de"), "www.xn--mnchen-3ya.de");
  EXPECT_EQ(AsciiHostName("bücher.de"), AsciiHostName("xn--bcher-kva.de"));
  // Nontransitional: the sharp s is its own letter, not "ss".
  EXPECT_EQ(AsciiHostName("faß.de"), "xn--fa-hia.de");
}

TEST(HostName, KeepsAsciiNamesBrowsersAcceptAndRefusesBrokenOnes) {
  EXPECT_EQ(AsciiHostName("my_host.example"), "my_host.example");
  EXPECT_EQ(AsciiHostName("[::1]"), "[::1]");
  EXPECT_EQ(AsciiHostName("bad\xff.de"), std::nullopt);
  EXPECT_EQ(AsciiHostName(std::string_view("b\xc3\xbc\0x.de", 7)), std::nullopt);
  EXPECT_EQ(AsciiHostName(std::string(kMaxHostBytes + 1, 'a')), std::nullopt);
}

TEST(HostName, SubdomainsMatchAndLookAlikesDoNot) {
  EXPECT_TRUE(IsSameOrSubdomain("myshop.example", "myshop.example"));
  EXPECT_TRUE(IsSameOrSubdomain("shop.myshop.example", "myshop.example"));
  EXPECT_TRUE(IsSameOrSubdomain("www.myshop.example.", "myshop.example"));
  EXPECT_FALSE(IsSameOrSubdomain("notmyshop.example", "myshop.example"));
  EXPECT_FALSE(IsSameOrSubdomain("myshop.example.evil.test", "myshop.example"));
  EXPECT_FALSE(IsSameOrSubdomain("example", "myshop.example"));
  EXPECT_FALSE(IsSameOrSubdomain("myshop.example", ""));
}

}  // namespace
}  // namespace halvane
