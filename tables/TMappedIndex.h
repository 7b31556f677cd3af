#pragma once
// An index file opened for lookups: its head (header, path, fences) is mapped
// read-only and searched in place; the one block a lookup needs is then read
// with pread. Blocks are not mapped because the kernel maps pages around
// every fault ("fault-around", 64 KiB), whatever madvise says: lookups over
// a mapped 250 MB index made it resident in a few thousand lookups, while
// reading a block from the page cache costs well under a microsecond.
// Opening checks the header, its checksum, the file size the header implies
// and the fences; a lookup checks the block it reads against the block's
// sum, and every offset inside it.
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
  // damaged (when given) is set when the block the domain would be in does
  // not check; the lookup then finds nothing.
  std::optional<std::uint32_t> Find(std::string_view domain, bool* damaged = nullptr) const;
  std::uint64_t Count() const { return FHeader->Count; }
  // Reads every block: the number of the first that does not check, or none.
  std::optional<std::uint32_t> FirstDamagedBlock() const;
  // Whether path still names the file this index mapped.
  bool IsFileAt(const std::string& path) const;

 private:
  TMappedIndex(int fd, const char* data, std::size_t size) : FFd(fd), FData(data), FSize(size) {}
  std::string_view Fence(std::uint32_t block) const;
  // Reads block into data and checks its sum; false when it does not check.
  bool ReadBlock(std::uint32_t block, unsigned char* data) const;
  // The value of key in block, checking every offset it reads.
  std::optional<std::uint32_t> FindInBlock(std::uint32_t block, std::string_view key, bool& damaged) const;

  int FFd;
  const char* FData;  // the mapped head
  std::size_t FSize;
  const THeader* FHeader = nullptr;
  const char* FFenceEnds = nullptr;
  const char* FFenceKeys = nullptr;
  const char* FBlockSums = nullptr;
  std::uint64_t FBlocksAt = 0;
  // The first 8 bytes of each fence, big-endian: the fence search compares
  // these and reads a fence itself only on a tie (Blocks x 8 bytes of heap).
  std::vector<std::uint64_t> FFencePrefixes;
};

}  // namespace halvane::tables
