#pragma once
// The host a link points to, and the user's domain reduced to a host, both
// in the one form of base/HostName.h (lower case, IDN in ASCII).
#include <optional>
#include <string>
#include <string_view>

namespace halvane::pagetest {

// What an href names, read as browsers read it: leading and trailing
// blanks and control bytes and any tab or line break inside ignored, "\" as
// "/", any number of slashes after "http:" or "https:", user information
// and port dropped, percent escapes in the host decoded.
// - "http(s)://host/..." and "//host/...": that host;
// - a relative address ("/p", "p", "?x", "#c"): ownHost (the page's own);
// - another scheme ("mailto:", "javascript:") or a host that is no name:
//   nothing, the link points to no web host.
std::optional<std::string> HostOfLink(std::string_view href, std::string_view ownHost);

// The domain a user types, as a host whose subdomains count too:
// "https://www.MyShop.example/page" and " myshop.example " both give
// "myshop.example" (a leading "www." is dropped when a dot is left). Empty
// when the text names no host.
std::string UserDomainHost(std::string_view typed);

}  // namespace halvane::pagetest
