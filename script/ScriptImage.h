#pragma once
// Layout of a script image: the header fields and the table records.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace halvane {

inline constexpr std::uint16_t kScriptMagic = 0xF1E0;
inline constexpr std::uint16_t kScriptFlagCompact = 0x0004;
inline constexpr int kScriptRecordInline = 24;  // value + 20-byte name
inline constexpr int kScriptRecordNamed = 8;    // value + name offset
inline constexpr std::size_t kScriptInlineName = 20;
inline constexpr std::size_t kScriptMaxName = 31;
inline constexpr std::size_t kScriptHeaderSize = 56;   // file version 7
inline constexpr std::size_t kScriptHeaderSizeV6 = 52; // no name-table field
inline constexpr std::uint32_t kScriptMaxMachineVersion = 7;

// Field offsets.
namespace hdr {
inline constexpr std::size_t Size = 0;
inline constexpr std::size_t Magic = 4;
inline constexpr std::size_t FileVersion = 6;
inline constexpr std::size_t MachineVersion = 7;
inline constexpr std::size_t Flags = 8;
inline constexpr std::size_t RecordSize = 10;
inline constexpr std::size_t Code = 12;
inline constexpr std::size_t Data = 16;
inline constexpr std::size_t Heap = 20;
inline constexpr std::size_t StackTop = 24;
inline constexpr std::size_t Main = 28;
inline constexpr std::size_t Publics = 32;
inline constexpr std::size_t Natives = 36;
inline constexpr std::size_t Libraries = 40;
inline constexpr std::size_t PubVars = 44;
inline constexpr std::size_t Tags = 48;
inline constexpr std::size_t NameTable = 52;
}  // namespace hdr

inline std::int32_t ReadLe32(const std::uint8_t* p) noexcept {
  std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                    (static_cast<std::uint32_t>(p[2]) << 16) |
                    (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(v);
}
inline std::uint16_t ReadLe16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void WriteLe32(std::uint8_t* p, std::int32_t value) noexcept {
  std::uint32_t v = static_cast<std::uint32_t>(value);
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void WriteLe16(std::uint8_t* p, std::uint16_t v) noexcept {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

// The header fields of an image as numbers.
struct TScriptHeader {
  std::int32_t Size = 0;
  std::uint16_t Magic = 0;
  std::int8_t FileVersion = 0;
  std::int8_t MachineVersion = 0;
  std::uint16_t Flags = 0;
  std::uint16_t RecordSize = 0;
  std::int32_t Code = 0;
  std::int32_t Data = 0;
  std::int32_t Heap = 0;
  std::int32_t StackTop = 0;
  std::int32_t Main = 0;
  std::int32_t Publics = 0;
  std::int32_t Natives = 0;
  std::int32_t Libraries = 0;
  std::int32_t PubVars = 0;
  std::int32_t Tags = 0;
  std::int32_t NameTable = 0;
};

// The header's length in an image of that file version.
constexpr std::size_t ScriptHeaderSize(int fileVersion) noexcept {
  return fileVersion >= 7 ? kScriptHeaderSize : kScriptHeaderSizeV6;
}

// Reads the header; the block must hold ScriptHeaderSize(its file version)
// bytes (byte 6). A version-6 header reads a name-table offset of 0.
TScriptHeader ReadScriptHeader(const std::uint8_t* block) noexcept;

// The name of a table record, bounded to the block and to kScriptMaxName
// characters; empty when the record or its name lies outside the block.
std::string_view ScriptRecordName(const std::uint8_t* block, std::size_t blockSize,
                                  const TScriptHeader& header, std::size_t recordOffset) noexcept;

// Number of records of a table between two header offsets.
inline std::int32_t ScriptTableCount(const TScriptHeader& header, std::int32_t from,
                                     std::int32_t to) noexcept {
  if (header.RecordSize == 0 || to <= from) return 0;
  return (to - from) / header.RecordSize;
}

}  // namespace halvane
