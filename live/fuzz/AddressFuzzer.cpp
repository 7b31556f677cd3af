// Feeds arbitrary bytes to the Retry-After reader, the address form and
// splitter, and the host and registrable-domain readers: no crash, no undefined behaviour,
// and the results keep their promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/HostName.h"
#include "live/RegistrableDomain.h"
#include "live/RetryAfter.h"
#include "live/UrlForm.h"
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
  // The one form holds no byte an address may not hold, is its own form and
  // is something libcurl reads back.
  if (const auto normal = halvane::live::NormalAddress(text)) {
    for (const char c : *normal) {
      if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F || c == '#') std::abort();
    }
    if (halvane::live::NormalAddress(*normal) != normal || !halvane::live::SplitUrl(*normal)) std::abort();
    const std::size_t cut = size / 2;
    (void)halvane::live::ResolveAddress(*normal, text.substr(cut));
  }
  const std::string host = halvane::live::HostOfUrl(text);
  for (const char c : host) {
    if ((c >= 'A' && c <= 'Z') || c == '/' || c == '?' || c == '#' || c == '@') std::abort();
  }
  // The registrable domain is the tail of the host's one form, itself or
  // after a dot.
  const std::string domain = halvane::live::RegistrableDomain(host);
  const std::string ascii = halvane::AsciiHostName(host).value_or(std::string());
  std::string_view name = ascii;
  while (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (!domain.empty() && !(name == domain || name.ends_with("." + domain))) {
    std::abort();
  }
  return 0;
}
