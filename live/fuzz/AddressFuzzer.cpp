// Feeds arbitrary bytes to the Retry-After reader, the address splitter and
// the host and registrable-domain readers: no crash, no undefined behaviour,
// and the results keep their promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "live/RegistrableDomain.h"
#include "live/RetryAfter.h"
#include "live/UrlParts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto seconds = halvane::live::RetryAfterSeconds(text, 1'800'000'000)) {
    if (*seconds < 0 || *seconds > 24 * 3600) std::abort();
  }
  if (const auto parts = halvane::live::SplitUrl(text)) {
    if (parts->Scheme != "http" && parts->Scheme != "https") std::abort();
    if (parts->Host.empty() || parts->PathAndQuery.empty() || parts->PathAndQuery[0] != '/') std::abort();
    if (parts->Port <= 0 || parts->Port > 65535) std::abort();
  }
  const std::string host = halvane::live::HostOfUrl(text);
  for (const char c : host) {
    if ((c >= 'A' && c <= 'Z') || c == '/' || c == '?' || c == '#' || c == '@') std::abort();
  }
  // The registrable domain is the host's tail, itself or after a dot.
  const std::string domain = halvane::live::RegistrableDomain(host);
  std::string_view name = host;
  while (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (!domain.empty() && !(name == domain || name.ends_with("." + domain))) {
    std::abort();
  }
  return 0;
}
