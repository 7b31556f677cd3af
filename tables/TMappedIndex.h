#pragma once
// An index file mapped into memory read-only and searched in place: only the
// pages a lookup touches become resident. Opening checks the header, its
// checksum, the file size the header implies and the bucket table; every
// record and domain offset is checked when a lookup reads it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tables/IndexFormat.h"
#include "tables/TSourceIdentity.h"
#include "tables/TTableKind.h"

namespace halvane::tables {

class TMappedIndex {
 public:
  // Maps the index at path. Returns nullptr and sets problem to why it
  // cannot serve (missing, damaged, for another kind or another table, or
  // the table changed since); source is the table as it is now.
  static std::unique_ptr<TMappedIndex> Open(const std::string& path, const TSourceIdentity& source, TTableKind kind,
                                            std::string& problem);
  ~TMappedIndex();
  TMappedIndex(const TMappedIndex&) = delete;
  TMappedIndex& operator=(const TMappedIndex&) = delete;

  // The value of domain (lower-cased here; one trailing dot ignored).
  std::optional<std::uint32_t> Find(std::string_view domain) const;
  std::uint64_t Count() const { return FHeader->Count; }
  // True once a lookup met a record that does not check (the file was
  // changed under the mapping); those lookups find nothing.
  bool Damaged() const { return FDamaged.load(std::memory_order_relaxed); }

 private:
  TMappedIndex(const char* data, std::size_t size) : FData(data), FSize(size) {}
  // The domain of record i, or nullopt when its offsets do not check.
  std::optional<std::string_view> KeyOf(std::uint64_t i) const;

  const char* FData;
  std::size_t FSize;
  const THeader* FHeader = nullptr;
  const std::uint32_t* FBuckets = nullptr;
  const TRecord* FRecords = nullptr;
  const char* FKeys = nullptr;
  mutable std::atomic<bool> FDamaged{false};
};

}  // namespace halvane::tables
