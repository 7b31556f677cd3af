#include "script/ScriptImage.h"

namespace halvane {

TScriptHeader ReadScriptHeader(const std::uint8_t* b) noexcept {
  TScriptHeader h;
  h.Size = ReadLe32(b + hdr::Size);
  h.Magic = ReadLe16(b + hdr::Magic);
  h.FileVersion = static_cast<std::int8_t>(b[hdr::FileVersion]);
  h.MachineVersion = static_cast<std::int8_t>(b[hdr::MachineVersion]);
  h.Flags = ReadLe16(b + hdr::Flags);
  h.RecordSize = ReadLe16(b + hdr::RecordSize);
  h.Code = ReadLe32(b + hdr::Code);
  h.Data = ReadLe32(b + hdr::Data);
  h.Heap = ReadLe32(b + hdr::Heap);
  h.StackTop = ReadLe32(b + hdr::StackTop);
  h.Main = ReadLe32(b + hdr::Main);
  h.Publics = ReadLe32(b + hdr::Publics);
  h.Natives = ReadLe32(b + hdr::Natives);
  h.Libraries = ReadLe32(b + hdr::Libraries);
  h.PubVars = ReadLe32(b + hdr::PubVars);
  h.Tags = ReadLe32(b + hdr::Tags);
  if (h.FileVersion >= 7) h.NameTable = ReadLe32(b + hdr::NameTable);
  return h;
}

std::string_view ScriptRecordName(const std::uint8_t* block, std::size_t blockSize,
                                  const TScriptHeader& header, std::size_t recordOffset) noexcept {
  std::size_t start = 0;
  std::size_t limit = 0;
  if (recordOffset > blockSize) return {};
  if (header.RecordSize == kScriptRecordInline) {
    if (blockSize - recordOffset < kScriptRecordInline) return {};
    start = recordOffset + 4;
    limit = kScriptInlineName;
  } else {
    if (blockSize - recordOffset < kScriptRecordNamed) return {};
    std::int32_t nameOffset = ReadLe32(block + recordOffset + 4);
    if (nameOffset < 0 || static_cast<std::size_t>(nameOffset) >= blockSize) return {};
    start = static_cast<std::size_t>(nameOffset);
    limit = blockSize - start;
  }
  if (limit > kScriptMaxName) limit = kScriptMaxName;
  std::size_t length = 0;
  while (length < limit && block[start + length] != 0) ++length;
  return {reinterpret_cast<const char*>(block + start), length};
}

}  // namespace halvane
