#include "tables/TTrancoList.h"

#include "live/RegistrableDomain.h"

namespace halvane::tables {

TTrancoList TTrancoList::Open(const std::string& path, const std::string& cacheDir, TTableIndex::TCheck check) {
  return TTrancoList(TTableIndex::Open(path, cacheDir, TTableKind::Tranco, check));
}

std::optional<std::uint32_t> TTrancoList::Find(std::string_view domain) const { return FIndex.Find(domain); }

std::optional<std::uint32_t> TTrancoList::Lookup(std::string_view host, std::string_view registrableDomain) const {
  if (!registrableDomain.empty()) {
    if (const auto rank = Find(registrableDomain)) return rank;
  }
  return Find(host);
}

std::optional<std::uint32_t> TTrancoList::FindForHost(std::string_view host) const {
  return Lookup(host, live::RegistrableDomain(host));
}

}  // namespace halvane::tables
