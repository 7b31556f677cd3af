#pragma once
// The entries of a table while its index is built: lower-cased domains in one
// arena, with their values, sorted and freed of duplicates before writing.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/TTableKind.h"

namespace halvane::tables {

class TEntryList {
 public:
  static constexpr std::size_t kMaxDomain = 253;
  // Five times the biggest table published (Open PageRank's 10 million):
  // bounds the memory a hostile table (a zip that unpacks to one line again
  // and again) can take while it is read.
  static constexpr std::size_t kMaxEntries = 50000000;

  struct TEntry {
    std::uint64_t Prefix;  // first 8 bytes, big-endian: most comparisons end here
    std::uint32_t Offset;  // into the arena
    std::uint32_t Order;   // line number: the first of equal domains wins
    std::uint32_t Value;
    std::uint8_t Length;
  };

  // domain: already lower-cased, 1..kMaxDomain bytes. False when there are
  // kMaxEntries already, or 4 GiB of domains.
  bool Add(std::string_view domain, std::uint32_t value, std::uint32_t order);
  // Sorts by domain and keeps one entry per domain: the first line's for an
  // authority table, the best (lowest) rank for a Tranco list.
  void SortAndDedupe(TTableKind kind);

  std::size_t Size() const { return FEntries.size(); }
  // The entry added last; call only when there is one.
  TEntry& Last() { return FEntries.back(); }
  const TEntry& At(std::size_t i) const { return FEntries[i]; }
  std::string_view Domain(const TEntry& entry) const {
    return std::string_view(FArena).substr(entry.Offset, entry.Length);
  }

 private:
  std::string FArena;
  std::vector<TEntry> FEntries;
};

}  // namespace halvane::tables
