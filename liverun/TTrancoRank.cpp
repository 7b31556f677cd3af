#include "liverun/TTrancoRank.h"

#include "live/RegistrableDomain.h"
#include "liverun/LiveColumns.h"
#include "tables/TableText.h"

namespace halvane::liverun {

std::string TTrancoRank::Cell(std::string_view url) {
  const std::optional<std::uint32_t> rank = FList.FindForHost(live::HostOfUrl(url));
  return rank ? tables::GroupThousands(*rank) : std::string(kNoFigure);
}

}  // namespace halvane::liverun
