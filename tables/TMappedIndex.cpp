#include "tables/TMappedIndex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace halvane::tables {

TMappedIndex::~TMappedIndex() { munmap(const_cast<char*>(FData), FSize); }

std::unique_ptr<TMappedIndex> TMappedIndex::Open(const std::string& path, const TSourceIdentity& source,
                                                 TTableKind kind, std::string& problem) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = errno == ENOENT ? "no index yet" : "cannot open index " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  const bool stated = fstat(fd, &st) == 0;
  const auto size = stated ? static_cast<std::uint64_t>(st.st_size) : 0;
  if (!stated || size < sizeof(THeader)) {
    close(fd);
    problem = "index " + path + " is damaged (shorter than its header)";
    return nullptr;
  }
  void* map = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (map == MAP_FAILED) {
    problem = "cannot map index " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  // Lookups jump about: read-ahead would only make pages resident for nothing.
  madvise(map, static_cast<std::size_t>(size), MADV_RANDOM);
  std::unique_ptr<TMappedIndex> index(new TMappedIndex(static_cast<const char*>(map), static_cast<std::size_t>(size)));

  const auto damaged = [&](const std::string& why) {
    problem = "index " + path + " is damaged (" + why + ")";
    return nullptr;
  };
  const auto* header = reinterpret_cast<const THeader*>(index->FData);
  if (std::memcmp(header->Magic, kIndexMagic, sizeof kIndexMagic) != 0) return damaged("not an index file");
  if (header->Version != kIndexVersion) {
    problem = "index " + path + " has version " + std::to_string(header->Version) + ", not " +
              std::to_string(kIndexVersion);
    return nullptr;
  }
  if (header->PathSize > kMaxIndexedPath) return damaged("bad path length");
  // Every size below is bounded, so these sums cannot overflow.
  if (header->Count > UINT32_MAX || header->KeysSize > UINT32_MAX) return damaged("bad counts");
  const std::uint64_t bucketsAt = sizeof(THeader) + Padded8(header->PathSize);
  const std::uint64_t recordsAt = bucketsAt + Padded8((kBuckets + 1) * sizeof(std::uint32_t));
  const std::uint64_t keysAt = recordsAt + header->Count * sizeof(TRecord);
  if (keysAt + header->KeysSize != size) {
    return damaged("size " + std::to_string(size) + " bytes, header says " + std::to_string(keysAt + header->KeysSize));
  }
  const std::string_view indexedPath(index->FData + sizeof(THeader), header->PathSize);
  const std::string_view bucketBytes(index->FData + bucketsAt, (kBuckets + 1) * sizeof(std::uint32_t));
  const std::uint64_t checksum = Fnv1a(
      bucketBytes,
      Fnv1a(indexedPath, Fnv1a(std::string_view(index->FData, offsetof(THeader, Checksum)))));
  if (checksum != header->Checksum) return damaged("checksum mismatch");
  const auto* buckets = reinterpret_cast<const std::uint32_t*>(bucketBytes.data());
  if (buckets[0] != 0 || buckets[kBuckets] != header->Count) return damaged("bad bucket table");
  for (std::size_t b = 0; b < kBuckets; ++b) {
    if (buckets[b] > buckets[b + 1]) return damaged("bad bucket table");
  }
  if (header->Kind != static_cast<std::uint32_t>(kind)) {
    problem = "index " + path + " is not of " + std::string(KindWithArticle(kind));
    return nullptr;
  }
  if (indexedPath != source.Path) {
    problem = "index " + path + " belongs to " + std::string(indexedPath);
    return nullptr;
  }
  if (header->SourceSize != source.Size || header->SourceMtimeNs != source.MtimeNs) {
    problem = source.Path + " changed since it was indexed";
    return nullptr;
  }
  index->FHeader = header;
  index->FBuckets = buckets;
  index->FRecords = reinterpret_cast<const TRecord*>(index->FData + recordsAt);
  index->FKeys = index->FData + keysAt;
  problem.clear();
  return index;
}

std::optional<std::string_view> TMappedIndex::KeyOf(std::uint64_t i) const {
  const std::uint32_t begin = i == 0 ? 0 : FRecords[i - 1].KeyEnd;
  const std::uint32_t end = FRecords[i].KeyEnd;
  if (begin >= end || end > FHeader->KeysSize || end - begin > 253) {
    FDamaged.store(true, std::memory_order_relaxed);
    return std::nullopt;
  }
  return std::string_view(FKeys + begin, end - begin);
}

std::optional<std::uint32_t> TMappedIndex::Find(std::string_view domain) const {
  if (!domain.empty() && domain.back() == '.') domain.remove_suffix(1);
  char lowered[253];
  if (domain.empty() || domain.size() > sizeof lowered) return std::nullopt;
  for (std::size_t i = 0; i < domain.size(); ++i) {
    const char c = domain[i];
    lowered[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  const std::string_view key(lowered, domain.size());
  const std::size_t bucket = BucketOf(key);
  std::uint64_t low = FBuckets[bucket];
  std::uint64_t high = FBuckets[bucket + 1];
  while (low < high) {
    const std::uint64_t mid = low + (high - low) / 2;
    const auto found = KeyOf(mid);
    if (!found) return std::nullopt;
    const int c = found->compare(key);
    if (c == 0) return FRecords[mid].Value;
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return std::nullopt;
}

}  // namespace halvane::tables
