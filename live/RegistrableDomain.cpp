#include "live/RegistrableDomain.h"

#include "base/HostName.h"
#include "base/TextScan.h"

#include <libpsl.h>

#include <algorithm>

namespace halvane::live {

namespace {

bool IsAddressLiteral(std::string_view host) {
  if (host.find(':') != std::string_view::npos) return true;  // IPv6
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

// The newest list on the machine: Debian's publicsuffix package when it is
// newer than the list built into libpsl. Loaded once, kept for the
// program's life (libpsl's lookups only read it).
const psl_ctx_t* List() {
  static const psl_ctx_t* const list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest ? latest : psl_builtin();
  }();
  return list;
}

}  // namespace

std::string RegistrableDomain(std::string_view host) {
  // libpsl reads up to a NUL byte: the name would lose its real end.
  if (host.find('\0') != std::string_view::npos) return {};
  // Lower case and ASCII first: "www.MÜNCHEN.de" is "www.xn--mnchen-3ya.de".
  std::string name = AsciiHostName(host).value_or(std::string());
  while (!name.empty() && name.back() == '.') name.pop_back();
  if (name.empty() || IsAddressLiteral(name)) return {};
  const char* found = psl_registrable_domain(List(), name.c_str());
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
