#pragma once
// Addresses that lie in the user's own network or nowhere: loopback,
// RFC 1918 and unique-local ranges, link-local, carrier-grade NAT
// (100.64/10), "this network" (0/8), multicast, reserved and documentation
// ranges, and IPv6 forms that embed such an IPv4 address (mapped,
// compatible, NAT64, 6to4). A page a search engine names has no business
// there; the services the user configured may be.
#include <sys/socket.h>

#include <optional>
#include <string>
#include <string_view>

namespace halvane::live {

// A resolved address as libcurl is about to connect to it.
bool IsPrivateAddress(const sockaddr& address);
// For an IP literal host ("127.0.0.3", "::1", without brackets): whether it
// is private; nothing when host is a name.
std::optional<bool> IsPrivateLiteral(std::string_view host);
// "127.0.0.1", "::1": the address as text.
std::string AddressText(const sockaddr& address);

}  // namespace halvane::live
