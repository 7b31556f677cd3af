#pragma once
// An http(s) address taken apart by libcurl's URL parser, so the limits and
// robots.txt see the address exactly as the transfer does.
#include <optional>
#include <string>
#include <string_view>

namespace halvane::live {

struct TUrlParts {
  std::string Scheme;        // "http" or "https", lower case
  std::string Host;          // lower case, IPv6 without brackets
  int Port = 0;              // the default port filled in
  std::string PathAndQuery;  // starts with "/"

  // "scheme://host:port": the unit of the per-host limits and of robots.txt.
  std::string Origin() const;
};

// Nothing for anything but a well-formed http or https address.
std::optional<TUrlParts> SplitUrl(std::string_view url);

}  // namespace halvane::live
