#pragma once
// The registrable domain of a host name by the public suffix list built into
// libpsl: "www.blog.example.co.uk" -> "example.co.uk".
#include <string>
#include <string_view>

namespace halvane::live {

// Lower-cased; "" when host has none (an address, a bare suffix, empty, a
// name holding a NUL byte).
std::string RegistrableDomain(std::string_view host);
// The host part of an http(s) address, lower-cased, without port; "" if none.
std::string HostOfUrl(std::string_view url);

}  // namespace halvane::live
