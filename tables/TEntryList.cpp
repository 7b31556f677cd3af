#include "tables/TEntryList.h"

#include <algorithm>
#include <limits>

namespace halvane::tables {

namespace {

std::uint64_t PrefixOf(std::string_view domain) {
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    prefix = (prefix << 8) | (i < domain.size() ? static_cast<unsigned char>(domain[i]) : 0u);
  }
  return prefix;
}

}  // namespace

bool TEntryList::Add(std::string_view domain, std::uint32_t value, std::uint32_t order) {
  constexpr std::size_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (domain.empty() || domain.size() > kMaxDomain) return false;
  if (FArena.size() + domain.size() > kLimit || FEntries.size() >= kLimit) return false;
  FEntries.push_back({PrefixOf(domain), static_cast<std::uint32_t>(FArena.size()), order, value,
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
