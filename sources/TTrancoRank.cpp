#include "sources/TTrancoRank.h"

#include "live/RegistrableDomain.h"

namespace halvane::sources {

std::optional<std::uint32_t> TTrancoRank::Rank(std::string_view url) {
  return FList.FindForHost(live::HostOfUrl(url));
}

}  // namespace halvane::sources
