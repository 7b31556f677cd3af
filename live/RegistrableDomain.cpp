#include "live/RegistrableDomain.h"

#include "base/TextScan.h"

#include <libpsl.h>

#include <algorithm>

namespace halvane::live {

namespace {

bool IsAddressLiteral(std::string_view host) {
  if (host.find(':') != std::string_view::npos) return true;  // IPv6
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

}  // namespace

std::string RegistrableDomain(std::string_view host) {
  std::string name = AsciiLowerCase(host);
  while (!name.empty() && name.back() == '.') name.pop_back();
  // libpsl reads up to a NUL byte: the name would lose its real end.
  if (name.empty() || IsAddressLiteral(name) || name.find('\0') != std::string::npos) return {};
  const char* found = psl_registrable_domain(psl_builtin(), name.c_str());
  return found ? std::string(found) : std::string();
}

std::string HostOfUrl(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view rest = url.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    const auto close = rest.find(']');
    return close == std::string_view::npos ? std::string() : AsciiLowerCase(rest.substr(1, close - 1));
  }
  return AsciiLowerCase(rest.substr(0, rest.find(':')));
}

}  // namespace halvane::live
