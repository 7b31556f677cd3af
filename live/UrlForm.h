#pragma once
// The one form of an http(s) address, taken before an address is used and
// before two are compared: scheme and host in lower case, an
// internationalised host in its ASCII form (whatever the locale), the
// default port, the fragment and dot segments dropped, an empty path made
// "/", and bytes an address may not hold (non-ASCII, blanks, controls and
// the characters RFC 3986 leaves out) percent-encoded with upper-case hex;
// an existing escape stays, its hex digits in upper case.
#include <optional>
#include <string>
#include <string_view>

namespace halvane::live {

// Nothing for anything but an http or https address with a valid host.
std::optional<std::string> NormalAddress(std::string_view address);

// A reference (a Location header's value, a link) resolved against base as
// RFC 3986 section 5 says, in the one form.
std::optional<std::string> ResolveAddress(std::string_view base, std::string_view reference);

// Longer addresses are refused: no server serves them.
inline constexpr std::size_t kMaxAddressBytes = 64 * 1024;

}  // namespace halvane::live
