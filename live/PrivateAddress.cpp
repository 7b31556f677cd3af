#include "live/PrivateAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>
#include <cstring>

namespace halvane::live {
namespace {

bool InRange(std::uint32_t address, std::uint32_t network, int bits) {
  const std::uint32_t mask = bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
  return (address & mask) == network;
}

// address in host byte order.
bool IsPrivateV4(std::uint32_t a) {
  return InRange(a, 0x00000000, 8)       // "this network", 0.0.0.0
         || InRange(a, 0x0A000000, 8)    // 10/8
         || InRange(a, 0x64400000, 10)   // 100.64/10, carrier-grade NAT
         || InRange(a, 0x7F000000, 8)    // loopback
         || InRange(a, 0xA9FE0000, 16)   // link-local, cloud metadata
         || InRange(a, 0xAC100000, 12)   // 172.16/12
         || InRange(a, 0xC0000000, 24)   // IETF protocol assignments
         || InRange(a, 0xC0000200, 24)   // documentation
         || InRange(a, 0xC0A80000, 16)   // 192.168/16
         || InRange(a, 0xC6120000, 15)   // benchmarking
         || InRange(a, 0xC6336400, 24)   // documentation
         || InRange(a, 0xCB007100, 24)   // documentation
         || a >= 0xE0000000;             // multicast, reserved, broadcast
}

std::uint32_t V4At(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

bool IsPrivateV6(const unsigned char* b) {
  static constexpr unsigned char kZero[12] = {};
  static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  static constexpr unsigned char kNat64[12] = {0, 0x64, 0xFF, 0x9B, 0, 0, 0, 0, 0, 0, 0, 0};
  // ::/96 (unspecified, loopback, IPv4-compatible), ::ffff:0:0/96, 64:ff9b::/96.
  if (std::memcmp(b, kZero, 12) == 0 || std::memcmp(b, kMapped, 12) == 0 || std::memcmp(b, kNat64, 12) == 0) {
    return IsPrivateV4(V4At(b + 12));
  }
  if (b[0] == 0x20 && b[1] == 0x02) return IsPrivateV4(V4At(b + 2));  // 6to4
  if (b[0] == 0x00 && b[1] == 0x64 && b[2] == 0xFF && b[3] == 0x9B && b[4] == 0 && b[5] == 1) return true;  // local NAT64
  if (b[0] == 0x01 && b[1] == 0x00 && std::memcmp(b + 2, kZero, 6) == 0) return true;  // discard-only
  if (b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x0D && b[3] == 0xB8) return true;       // documentation
  return (b[0] & 0xFE) == 0xFC                         // unique local fc00::/7
         || (b[0] == 0xFE && (b[1] & 0xC0) == 0x80)    // link-local fe80::/10
         || (b[0] == 0xFE && (b[1] & 0xC0) == 0xC0)    // site-local fec0::/10
         || b[0] == 0xFF;                              // multicast
}

}  // namespace

bool IsPrivateAddress(const sockaddr& address) {
  if (address.sa_family == AF_INET) {
    sockaddr_in v4{};
    std::memcpy(&v4, &address, sizeof v4);
    return IsPrivateV4(ntohl(v4.sin_addr.s_addr));
  }
  if (address.sa_family == AF_INET6) {
    sockaddr_in6 v6{};
    std::memcpy(&v6, &address, sizeof v6);
    return IsPrivateV6(v6.sin6_addr.s6_addr);
  }
  return true;  // a Unix socket or anything else is not the public web
}

std::optional<bool> IsPrivateLiteral(std::string_view host) {
  if (host.size() >= INET6_ADDRSTRLEN + 16) return std::nullopt;
  const std::string text(host.substr(0, host.find('%')));  // an IPv6 zone names a local link
  in_addr v4{};
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return IsPrivateV4(ntohl(v4.s_addr));
  in6_addr v6{};
  if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) return host.find('%') != std::string_view::npos || IsPrivateV6(v6.s6_addr);
  return std::nullopt;
}

std::string AddressText(const sockaddr& address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.sa_family == AF_INET) {
    sockaddr_in v4{};
    std::memcpy(&v4, &address, sizeof v4);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
  } else if (address.sa_family == AF_INET6) {
    sockaddr_in6 v6{};
    std::memcpy(&v6, &address, sizeof v6);
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
  }
  return text;
}

}  // namespace halvane::live
