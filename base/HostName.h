#pragma once
// The one form of a host name, for use and for comparison: lower case, and
// an internationalised name in its ASCII (punycode) form, whatever the
// locale of the machine.
#include <optional>
#include <string>
#include <string_view>

namespace halvane {

// "www.MÜNCHEN.de" -> "www.xn--mnchen-3ya.de", "Example.COM" ->
// "example.com". Non-ASCII names are mapped as UTS #46 says (nontransitional,
// so "faß.de" stays distinct from "fass.de"); an ASCII name is only
// lower-cased, so names browsers accept (an underscore, a leading hyphen)
// are kept. Nothing for bytes that are not UTF-8, for a name IDNA refuses,
// and for names longer than kMaxHostBytes.
std::optional<std::string> AsciiHostName(std::string_view host);

inline constexpr std::size_t kMaxHostBytes = 1024;

// Is host the domain itself or a name under it ("shop.myshop.example" and
// "myshop.example" are under "myshop.example", "notmyshop.example" is not)?
// Both in the form AsciiHostName gives; one trailing dot on either is
// ignored; an empty domain matches nothing.
bool IsSameOrSubdomain(std::string_view host, std::string_view domain) noexcept;

}  // namespace halvane
