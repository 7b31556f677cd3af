#pragma once
// Addresses as the HTTP client takes them:
//   scheme "://" [user [":" password] "@"] host [":" port] [target] ["#" fragment]
// Back-slashes count as slashes; user and password are dropped; the target
// is kept byte for byte (nothing is percent-encoded or decoded).
#include <string>
#include <string_view>

namespace halvane {

struct THttpAddress {
  bool hasHost = false;  // false: a target alone, resolved against the previous request
  std::string scheme;    // lower case; empty when the address names none
  std::string host;      // lower case
  int port = 80;         // 0 when the port given is not a number from 1 to 65535
  std::string target;    // "/" when nothing follows the host; no fragment
};

THttpAddress ParseAddress(std::string_view address);

// The target up to and including its last "/" before the first "?" (or, when
// there is no "?", before the first "=").
std::string DirectoryPath(std::string_view target);

// A target that does not begin with "/" taken relative to directory, with
// "." and ".." segments resolved; other targets come back as they are.
std::string ResolveTarget(std::string_view directory, std::string_view target);

// RFC 3986 removal of "." and ".." segments from a path (no query).
std::string RemoveDotSegments(std::string_view path);

// True for a dotted IPv4 address such as 127.0.0.1.
bool IsIpv4Address(std::string_view host) noexcept;

}  // namespace halvane
