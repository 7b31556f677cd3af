#pragma once
// The registrable domain of a host name by the newest public suffix list on
// the machine (Debian's publicsuffix package, else the list built into
// libpsl): "www.blog.example.co.uk" -> "example.co.uk".
#include <string>
#include <string_view>

namespace halvane::live {

// In the one form of a host name (lower case, ASCII: "www.MÜNCHEN.de" gives
// "xn--mnchen-3ya.de"); "" when host has none (an address, a bare suffix,
// empty, a name holding a NUL byte or one IDNA refuses).
std::string RegistrableDomain(std::string_view host);
// The host part of an http(s) address, lower-cased, without port; "" if none.
std::string HostOfUrl(std::string_view url);

}  // namespace halvane::live
