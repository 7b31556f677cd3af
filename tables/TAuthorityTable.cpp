#include "tables/TAuthorityTable.h"

#include "base/TextScan.h"
#include "live/RegistrableDomain.h"

namespace halvane::tables {

TAuthorityTable TAuthorityTable::Open(const std::string& path, const std::string& cacheDir, TTableIndex::TCheck check) {
  return TAuthorityTable(TTableIndex::Open(path, cacheDir, TTableKind::Authority, check));
}

std::optional<int> TAuthorityTable::Find(std::string_view domain) const {
  const auto value = FIndex.Find(domain);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<int> TAuthorityTable::Lookup(std::string_view host, std::string_view registrableDomain) const {
  if (const auto figure = Find(host)) return figure;
  if (registrableDomain.empty()) return std::nullopt;
  if (!EqualsNoCase(registrableDomain, host)) {
    if (const auto figure = Find(registrableDomain)) return figure;
  }
  std::string www = "www.";
  www += registrableDomain;
  if (EqualsNoCase(www, host)) return std::nullopt;
  return Find(www);
}

std::optional<int> TAuthorityTable::FindForHost(std::string_view host) const {
  return Lookup(host, live::RegistrableDomain(host));
}

}  // namespace halvane::tables
