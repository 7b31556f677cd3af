#include "tables/TEntryList.h"

#include <algorithm>
#include <limits>

#include "tables/IndexFormat.h"

namespace halvane::tables {

bool TEntryList::Add(std::string_view domain, std::uint32_t value, std::uint32_t order) {
  if (domain.empty() || domain.size() > kMaxDomain || FEntries.size() >= kMaxEntries) return false;
  if (FArena.size() + domain.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  FEntries.push_back({DomainPrefix(domain), static_cast<std::uint32_t>(FArena.size()), order, value,
                      static_cast<std::uint8_t>(domain.size())});
  FArena.append(domain);
  return true;
}

void TEntryList::SortAndDedupe(TTableKind kind) {
  const bool byValue = kind == TTableKind::Tranco;
  const auto less = [this, byValue](const TEntry& a, const TEntry& b) {
    if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix;
    const int c = Domain(a).compare(Domain(b));
    if (c != 0) return c < 0;
    if (byValue && a.Value != b.Value) return a.Value < b.Value;
    return a.Order < b.Order;
  };
  std::sort(FEntries.begin(), FEntries.end(), less);
  const auto same = [this](const TEntry& a, const TEntry& b) {
    return a.Prefix == b.Prefix && Domain(a) == Domain(b);
  };
  FEntries.erase(std::unique(FEntries.begin(), FEntries.end(), same), FEntries.end());
}

}  // namespace halvane::tables
