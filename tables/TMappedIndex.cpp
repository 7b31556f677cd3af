#include "tables/TMappedIndex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "base/RegularFile.h"

namespace halvane::tables {

using halvane::TRegularFile;

TMappedIndex::~TMappedIndex() {
  munmap(const_cast<char*>(FData), FSize);
  close(FFd);
}

std::unique_ptr<TMappedIndex> TMappedIndex::Open(const std::string& path, const TSourceIdentity& source,
                                                 TTableKind kind, std::string& problem) {
  struct stat named {};
  if (stat(path.c_str(), &named) != 0 && errno == ENOENT) {
    problem = "no index yet";
    return nullptr;
  }
  // Something that is no file in its place (a FIFO would make opening
  // wait) is replaced by the index built instead.
  TRegularFile file = TRegularFile::Open(path, kMaxIndexFile);
  if (!file.IsOpen()) {
    problem = "cannot open index " + file.Error();
    return nullptr;
  }
  const std::uint64_t size = file.Size();
  const int fd = file.Release();
  if (size < sizeof(THeader)) {
    close(fd);
    problem = "index " + path + " is damaged (shorter than its header)";
    return nullptr;
  }
  // The head is at most the header, a path and the fences: map what the
  // header says, bounded by the file; sizes are checked below.
  THeader header{};
  if (pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) {
    close(fd);
    problem = "cannot read index " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  const std::uint64_t headSize =
      header.PathSize <= kMaxIndexedPath ? std::min<std::uint64_t>(TIndexLayout(header).BlocksAt, size) : sizeof header;
  void* map = mmap(nullptr, static_cast<std::size_t>(headSize), PROT_READ, MAP_PRIVATE, fd, 0);
  if (map == MAP_FAILED) {
    problem = "cannot map index " + path + ": " + std::strerror(errno);
    close(fd);
    return nullptr;
  }
  std::unique_ptr<TMappedIndex> index(new TMappedIndex(fd, static_cast<const char*>(map), static_cast<std::size_t>(headSize)));

  const auto damaged = [&](const std::string& why) {
    problem = "index " + path + " is damaged (" + why + ")";
    return nullptr;
  };
  const auto* mapped = reinterpret_cast<const THeader*>(index->FData);
  if (std::memcmp(mapped, &header, sizeof header) != 0) return damaged("changed while being opened");
  if (std::memcmp(header.Magic, kIndexMagic, sizeof kIndexMagic) != 0) return damaged("not an index file");
  if (header.Version != kIndexVersion) {
    problem = "index " + path + " has version " + std::to_string(header.Version) + ", not " +
              std::to_string(kIndexVersion);
    return nullptr;
  }
  if (header.PathSize > kMaxIndexedPath) return damaged("bad path length");
  const TIndexLayout layout(header);
  if (layout.FileSize != size) {
    return damaged("size " + std::to_string(size) + " bytes, header says " + std::to_string(layout.FileSize));
  }
  if (IndexChecksum(index->FData, *mapped) != mapped->Checksum) return damaged("checksum mismatch");
  const std::string_view indexedPath(index->FData + sizeof(THeader), header.PathSize);
  index->FHeader = mapped;
  index->FFenceEnds = index->FData + layout.FenceEndsAt;
  index->FFenceKeys = index->FData + layout.FenceKeysAt;
  index->FBlockSums = index->FData + layout.BlockSumsAt;
  index->FBlocksAt = layout.BlocksAt;
  // The fences are read whole anyway: check them all now, lookups then trust them.
  std::uint32_t previous = 0;
  std::string_view previousFence;
  index->FFencePrefixes.reserve(header.Blocks);
  for (std::uint32_t b = 0; b < header.Blocks; ++b) {
    std::uint32_t end = 0;
    std::memcpy(&end, index->FFenceEnds + 4 * std::size_t{b}, 4);
    if (end <= previous || end > header.FenceKeysSize || end - previous > 253) return damaged("bad fence");
    const std::string_view fence(index->FFenceKeys + previous, end - previous);
    if (b > 0 && !(previousFence < fence)) return damaged("fences out of order");
    previousFence = fence;
    previous = end;
    index->FFencePrefixes.push_back(DomainPrefix(fence));
  }
  if (previous != header.FenceKeysSize) return damaged("bad fence");
  if (header.Kind != static_cast<std::uint32_t>(kind)) {
    problem = "index " + path + " is not of " + std::string(KindWithArticle(kind));
    return nullptr;
  }
  if (indexedPath != source.Path) {
    problem = "index " + path + " belongs to " + std::string(indexedPath);
    return nullptr;
  }
  if (header.SourceSize != source.Size || header.SourceMtimeNs != source.MtimeNs) {
    problem = source.Path + " changed since it was indexed";
    return nullptr;
  }
  problem.clear();
  return index;
}

std::string_view TMappedIndex::Fence(std::uint32_t block) const {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  if (block > 0) std::memcpy(&begin, FFenceEnds + 4 * std::size_t{block - 1}, 4);
  std::memcpy(&end, FFenceEnds + 4 * std::size_t{block}, 4);
  return std::string_view(FFenceKeys + begin, end - begin);
}

bool TMappedIndex::ReadBlock(std::uint32_t block, unsigned char* data) const {
  const ssize_t got = pread(FFd, data, kBlockSize, static_cast<off_t>(FBlocksAt + std::uint64_t{block} * kBlockSize));
  if (got != static_cast<ssize_t>(kBlockSize)) return false;  // the file was cut short under us
  std::uint64_t sum = 0;
  std::memcpy(&sum, FBlockSums + 8 * std::size_t{block}, 8);
  return BlockChecksum(data) == sum;
}

std::optional<std::uint32_t> TMappedIndex::FirstDamagedBlock() const {
  unsigned char data[kBlockSize];
  for (std::uint32_t block = 0; block < FHeader->Blocks; ++block) {
    if (!ReadBlock(block, data)) return block;
  }
  return std::nullopt;
}

bool TMappedIndex::IsFileAt(const std::string& path) const {
  struct stat mapped {};
  struct stat named {};
  return fstat(FFd, &mapped) == 0 && stat(path.c_str(), &named) == 0 && mapped.st_dev == named.st_dev &&
         mapped.st_ino == named.st_ino;
}

std::optional<std::uint32_t> TMappedIndex::FindInBlock(std::uint32_t block, std::string_view key,
                                                       bool& damaged) const {
  unsigned char data[kBlockSize];
  const auto fail = [&] {
    damaged = true;
    return std::nullopt;
  };
  if (!ReadBlock(block, data)) return fail();
  // The sum matched: what follows holds unless the file was written with
  // the sum of a damaged block; the offsets are checked all the same.
  std::uint16_t count = 0;
  std::memcpy(&count, data, 2);
  if (count == 0 || 2 + 2 * std::size_t{count} > kBlockSize) return fail();
  std::size_t low = 0;
  std::size_t high = count;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    std::uint16_t at = 0;
    std::memcpy(&at, data + 2 + 2 * mid, 2);
    const std::size_t length = at < kBlockSize ? data[at] : 0;
    if (length == 0 || at + 1 + length + 4 > kBlockSize) return fail();
    const std::string_view domain(reinterpret_cast<const char*>(data + at + 1), length);
    const int c = domain.compare(key);
    if (c == 0) {
      std::uint32_t value = 0;
      std::memcpy(&value, data + at + 1 + length, 4);
      return value;
    }
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return std::nullopt;
}

std::optional<std::uint32_t> TMappedIndex::Find(std::string_view domain, bool* damaged) const {
  bool unused = false;
  bool& blockDamaged = damaged ? *damaged : unused;
  blockDamaged = false;
  if (!domain.empty() && domain.back() == '.') domain.remove_suffix(1);
  char lowered[253];
  if (domain.empty() || domain.size() > sizeof lowered) return std::nullopt;
  for (std::size_t i = 0; i < domain.size(); ++i) {
    const char c = domain[i];
    lowered[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  const std::string_view key(lowered, domain.size());
  // The last block whose fence is not after key. Domains hold no zero bytes,
  // so comparing prefixes first orders as comparing the whole names.
  const std::uint64_t keyPrefix = DomainPrefix(key);
  std::uint32_t low = 0;
  std::uint32_t high = FHeader->Blocks;
  while (low < high) {
    const std::uint32_t mid = low + (high - low) / 2;
    const std::uint64_t prefix = FFencePrefixes[mid];
    if (prefix < keyPrefix || (prefix == keyPrefix && Fence(mid) <= key)) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low == 0) return std::nullopt;
  return FindInBlock(low - 1, key, blockDamaged);
}

}  // namespace halvane::tables
