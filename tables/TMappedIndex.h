#pragma once
// An index file opened for lookups: its head (header, path, fences) is mapped
// read-only and searched in place; the one block a lookup needs is then read
// with pread. Blocks are not mapped because the kernel maps pages around
// every fault ("fault-around", 64 KiB), whatever madvise says: lookups over
// a mapped 250 MB index made it resident in a few thousand lookups, while
// reading a block from the page cache costs well under a microsecond.
// Opening checks the header, its checksum, the file size the header implies
// and the fences; every offset inside a block is checked as a lookup reads it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  TMappedIndex(int fd, const char* data, std::size_t size) : FFd(fd), FData(data), FSize(size) {}
  std::string_view Fence(std::uint32_t block) const;
  // The value of key in block, checking every offset it reads.
  std::optional<std::uint32_t> FindInBlock(std::uint32_t block, std::string_view key) const;
  void MarkDamaged() const { FDamaged.store(true, std::memory_order_relaxed); }

  int FFd;
  const char* FData;  // the mapped head
  std::size_t FSize;
  const THeader* FHeader = nullptr;
  const char* FFenceEnds = nullptr;
  const char* FFenceKeys = nullptr;
  std::uint64_t FBlocksAt = 0;
  // The first 8 bytes of each fence, big-endian: the fence search compares
  // these and reads a fence itself only on a tie (Blocks x 8 bytes of heap).
  std::vector<std::uint64_t> FFencePrefixes;
  mutable std::atomic<bool> FDamaged{false};
};

}  // namespace halvane::tables
