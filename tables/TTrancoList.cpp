#include "tables/TTrancoList.h"

#include "live/RegistrableDomain.h"

namespace halvane::tables {

TTrancoList TTrancoList::Open(const std::string& path, const std::string& cacheDir) {
  return TTrancoList(TTableIndex::Open(path, cacheDir, TTableKind::Tranco));
}

std::optional<std::uint32_t> TTrancoList::Find(std::string_view domain) const { return FIndex.Find(domain); }

std::optional<std::uint32_t> TTrancoList::FindForHost(std::string_view host) const {
  const std::string domain = live::RegistrableDomain(host);
  if (!domain.empty()) {
    if (const auto rank = Find(domain)) return rank;
  }
  return Find(host);
}

}  // namespace halvane::tables
