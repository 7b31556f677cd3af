#pragma once
// The layout of an index file (host byte order; the magic tells a foreign
// one apart). In order:
//   THeader                      64 bytes
//   the table's path             PathSize bytes, padded to 8
//   bucket table                 kBuckets + 1 entries of u32: the first record
//                                of each first-two-bytes bucket
//   records                      Count x TRecord, sorted by domain
//   domains                      KeysSize bytes, concatenated in record order
// The checksum covers the header before it, the path and the bucket table:
// what is read whole at opening. Records and domains are checked one by one
// as a lookup meets them, so that opening never touches the whole file.
#include <cstdint>
#include <string_view>

namespace halvane::tables {

inline constexpr char kIndexMagic[8] = {'H', 'L', 'V', 'I', 'D', 'X', '\r', '\x1A'};
inline constexpr std::uint32_t kIndexVersion = 1;
inline constexpr std::size_t kBuckets = 65536;
inline constexpr std::size_t kMaxIndexedPath = 4096;

struct THeader {
  char Magic[8];
  std::uint32_t Version;
  std::uint32_t Kind;
  std::uint64_t SourceSize;
  std::int64_t SourceMtimeNs;
  std::uint64_t Count;
  std::uint64_t KeysSize;
  std::uint32_t PathSize;
  std::uint32_t Reserved;
  std::uint64_t Checksum;
};
static_assert(sizeof(THeader) == 64);

struct TRecord {
  std::uint32_t KeyEnd;  // the domain is [previous KeyEnd, KeyEnd) in the domains
  std::uint32_t Value;
};
static_assert(sizeof(TRecord) == 8);

inline constexpr std::uint64_t Padded8(std::uint64_t n) { return (n + 7) & ~std::uint64_t{7}; }

// FNV-1a, 64 bits, continued from seed.
inline std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t seed = 0xcbf29ce484222325ull) {
  std::uint64_t h = seed;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ull;
  }
  return h;
}

// The bucket of a lower-cased domain; monotonic in the sort order because
// domains hold no zero bytes.
inline std::size_t BucketOf(std::string_view domain) {
  const auto first = domain.empty() ? 0u : static_cast<unsigned char>(domain[0]);
  const auto second = domain.size() < 2 ? 0u : static_cast<unsigned char>(domain[1]);
  return first * 256u + second;
}

}  // namespace halvane::tables
