#include "base/HostName.h"

#include <idn2.h>

#include <cstdlib>

#include "base/TextScan.h"

namespace halvane {
namespace {

bool IsAscii(std::string_view text) noexcept {
  for (unsigned char byte : text) {
    if (byte >= 0x80) return false;
  }
  return true;
}

std::string_view WithoutTrailingDot(std::string_view name) noexcept {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  return name;
}

}  // namespace

std::optional<std::string> AsciiHostName(std::string_view host) {
  if (host.size() > kMaxHostBytes) return std::nullopt;
  if (IsAscii(host)) return AsciiLowerCase(host);
  // libidn2 reads a NUL-terminated string: a NUL inside would cut it short.
  if (host.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string input(host);
  char* output = nullptr;
  if (idn2_to_ascii_8z(input.c_str(), &output, IDN2_NONTRANSITIONAL) != IDN2_OK || output == nullptr) {
    std::free(output);
    return std::nullopt;
  }
  std::string result(output);
  std::free(output);
  return result;
}

bool IsSameOrSubdomain(std::string_view host, std::string_view domain) noexcept {
  host = WithoutTrailingDot(host);
  domain = WithoutTrailingDot(domain);
  if (domain.empty() || host.size() < domain.size()) return false;
  if (host.substr(host.size() - domain.size()) != domain) return false;
  return host.size() == domain.size() || host[host.size() - domain.size() - 1] == '.';
}

}  // namespace halvane
