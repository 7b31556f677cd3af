#include "tables/TAuthorityTable.h"

#include "live/RegistrableDomain.h"

namespace halvane::tables {

TAuthorityTable TAuthorityTable::Open(const std::string& path, const std::string& cacheDir) {
  return TAuthorityTable(TTableIndex::Open(path, cacheDir, TTableKind::Authority));
}

std::optional<int> TAuthorityTable::Find(std::string_view registrableDomain) const {
  const auto value = FIndex.Find(registrableDomain);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<int> TAuthorityTable::FindForHost(std::string_view host) const {
  // An address (or a bare suffix) has no registrable domain: it stands for itself.
  const std::string domain = live::RegistrableDomain(host);
  return Find(domain.empty() ? host : std::string_view(domain));
}

}  // namespace halvane::tables
