#include "liverun/TAuthorityLookup.h"

#include "live/RegistrableDomain.h"

namespace halvane::liverun {

std::string TAuthorityLookup::NameOf(std::string_view url) const {
  const std::string host = live::HostOfUrl(url);
  std::string domain = live::RegistrableDomain(host);
  return domain.empty() ? host : domain;
}

}  // namespace halvane::liverun
