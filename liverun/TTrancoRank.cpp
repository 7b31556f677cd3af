#include "liverun/TTrancoRank.h"

#include "live/RegistrableDomain.h"

namespace halvane::liverun {

std::optional<std::uint32_t> TTrancoRank::Rank(std::string_view url) {
  return FList.FindForHost(live::HostOfUrl(url));
}

}  // namespace halvane::liverun
