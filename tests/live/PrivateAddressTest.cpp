// Which addresses count as the user's own network (or none), as literals
// and as the socket addresses libcurl connects to.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include "live/PrivateAddress.h"

namespace halvane::live {
namespace {

bool SocketPrivate(const std::string& text) {
  sockaddr_in6 v6{};
  sockaddr_in v4{};
  if (inet_pton(AF_INET, text.c_str(), &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    return IsPrivateAddress(reinterpret_cast<const sockaddr&>(v4));
  }
  EXPECT_EQ(inet_pton(AF_INET6, text.c_str(), &v6.sin6_addr), 1) << text;
  v6.sin6_family = AF_INET6;
  return IsPrivateAddress(reinterpret_cast<const sockaddr&>(v6));
}

TEST(PrivateAddress, RefusesTheUsersOwnNetworkInEverySpelling) {
  for (const char* address :
       {"127.0.0.3", "10.0.0.1", "172.16.5.4", "172.31.255.255", "192.168.1.1", "169.254.169.254", "100.64.0.1",
        "100.127.255.254", "0.0.0.0", "0.1.2.3", "224.0.0.1", "255.255.255.255", "::", "::1", "::ffff:127.0.0.1",
        "::ffff:10.1.2.3", "::127.0.0.1", "64:ff9b::7f00:1", "2002:7f00:1::1", "2002:a9fe:a9fe::", "fd00::1",
        "fc12:3456::1", "fe80::1", "fec0::1", "ff02::1", "100::1"}) {
    EXPECT_TRUE(SocketPrivate(address)) << address;
    EXPECT_EQ(IsPrivateLiteral(address), std::optional<bool>(true)) << address;
  }
  EXPECT_EQ(IsPrivateLiteral("fe80::1%eth0"), std::optional<bool>(true));
}

TEST(PrivateAddress, LetsThePublicWebThrough) {
  for (const char* address : {"8.8.8.8", "1.1.1.1", "100.63.255.255", "100.128.0.1", "172.15.0.1", "172.32.0.1",
                              "192.169.0.1", "169.253.0.1", "223.255.255.255", "2606:4700:4700::1111",
                              "::ffff:8.8.8.8", "64:ff9b::808:808", "2002:808:808::1", "2a00:1450::1"}) {
    EXPECT_FALSE(SocketPrivate(address)) << address;
    EXPECT_EQ(IsPrivateLiteral(address), std::optional<bool>(false)) << address;
  }
  for (const char* name : {"example.com", "localhost", "", "127.0.0.1.example"}) {
    EXPECT_FALSE(IsPrivateLiteral(name).has_value()) << name;
  }
}

}  // namespace
}  // namespace halvane::live
