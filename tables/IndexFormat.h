#pragma once
// The layout of an index file (host byte order; the magic tells a foreign
// one apart). In order:
//   THeader            64 bytes
//   the table's path   PathSize bytes, padded to 8
//   fence ends         Blocks x u32: fence key i is [end i-1, end i) of the
//                      fence keys
//   fence keys         FenceKeysSize bytes: the first domain of each block
//   block sums         padded to 8, Blocks x u64: BlockChecksum of each block
//   padding            up to a multiple of kBlockSize
//   blocks             Blocks x kBlockSize bytes, domains in sorted order
// A block: u16 count, count x u16 entry offsets (from the block's start, in
// sorted order), then the entries: u8 length, the domain, u32 value.
// A lookup searches the fences (small: they stay resident) and then reads one
// block.
// The header's checksum covers the header before it, the path, the fences and
// the block sums: what opening reads whole. A lookup checks the block it
// reads against its sum, so no changed byte anywhere gives a wrong figure.
// Version 2 added the block sums.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace halvane::tables {

inline constexpr char kIndexMagic[8] = {'H', 'L', 'V', 'I', 'D', 'X', '\r', '\x1A'};
inline constexpr std::uint32_t kIndexVersion = 2;
inline constexpr std::size_t kBlockSize = 4096;
inline constexpr std::size_t kMaxIndexedPath = 4096;
// No index is bigger: at most 2^32 / kBlockSize blocks and their head.
inline constexpr std::uint64_t kMaxIndexFile = 16ull << 30;
// Length byte, the longest domain, the value.
inline constexpr std::size_t kMaxEntrySize = 1 + 253 + 4;

struct THeader {
  char Magic[8];
  std::uint32_t Version;
  std::uint32_t Kind;
  std::uint64_t SourceSize;
  std::int64_t SourceMtimeNs;
  std::uint64_t Count;  // distinct domains
  std::uint32_t Blocks;
  std::uint32_t FenceKeysSize;
  std::uint32_t PathSize;
  std::uint32_t Reserved;
  std::uint64_t Checksum;
};
static_assert(sizeof(THeader) == 64);

inline constexpr std::uint64_t Padded(std::uint64_t n, std::uint64_t to) { return (n + to - 1) / to * to; }

// Where the sections lie, from the header's sizes (each below 2^32, so no
// sum overflows).
struct TIndexLayout {
  std::uint64_t FenceEndsAt;
  std::uint64_t FenceKeysAt;
  std::uint64_t BlockSumsAt;
  std::uint64_t BlocksAt;
  std::uint64_t FileSize;

  explicit TIndexLayout(const THeader& h)
      : FenceEndsAt(sizeof(THeader) + Padded(h.PathSize, 8)),
        FenceKeysAt(FenceEndsAt + std::uint64_t{h.Blocks} * 4),
        BlockSumsAt(Padded(FenceKeysAt + h.FenceKeysSize, 8)),
        BlocksAt(Padded(BlockSumsAt + std::uint64_t{h.Blocks} * 8, kBlockSize)),
        FileSize(BlocksAt + std::uint64_t{h.Blocks} * kBlockSize) {}
};

// The first 8 bytes of a domain, big-endian, zero-padded: compares as the
// domains do, because domains hold no zero bytes.
inline std::uint64_t DomainPrefix(std::string_view domain) {
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    prefix = (prefix << 8) | (i < domain.size() ? static_cast<unsigned char>(domain[i]) : 0u);
  }
  return prefix;
}

// FNV-1a, 64 bits, continued from seed.
inline std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t seed = 0xcbf29ce484222325ull) {
  std::uint64_t h = seed;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ull;
  }
  return h;
}

// The checksum of one block, which a lookup pays on every block it reads:
// eight bytes at a time in four lanes, so that the multiplications overlap.
// Each step is a bijection of its lane's sum, so a change within any one
// 8-byte word changes that lane's sum and, the others unchanged, the result.
inline std::uint64_t BlockChecksum(const unsigned char* block) {
  std::uint64_t lanes[4] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull, 0x2325cbf29ce48422ull, 0x9ce484222325cbf2ull};
  for (std::size_t at = 0; at < kBlockSize; at += 32) {
    for (std::size_t lane = 0; lane < 4; ++lane) {
      std::uint64_t word = 0;
      std::memcpy(&word, block + at + 8 * lane, 8);
      lanes[lane] = (lanes[lane] ^ word) * 0x100000001b3ull;
      lanes[lane] ^= lanes[lane] >> 29;
    }
  }
  return lanes[0] ^ std::rotl(lanes[1], 16) ^ std::rotl(lanes[2], 32) ^ std::rotl(lanes[3], 48);
}

// The checksum of an index whose first bytes are data (at least up to the
// end of the fence keys, which the caller has checked).
inline std::uint64_t IndexChecksum(const char* data, const THeader& h) {
  const TIndexLayout layout(h);
  std::uint64_t sum = Fnv1a(std::string_view(data, offsetof(THeader, Checksum)));
  sum = Fnv1a(std::string_view(data + sizeof(THeader), h.PathSize), sum);
  return Fnv1a(std::string_view(data + layout.FenceEndsAt, layout.BlocksAt - layout.FenceEndsAt), sum);
}

}  // namespace halvane::tables
