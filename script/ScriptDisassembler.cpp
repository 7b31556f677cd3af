#include "script/ScriptDisassembler.h"

#include <algorithm>
#include <sstream>

#include "script/ScriptImage.h"
#include "script/ScriptLoader.h"
#include "script/ScriptOpcodes.h"

namespace halvane {
namespace {

constexpr std::int64_t kMaxListedMemory = 64 << 20;

void ListTable(std::ostringstream& out, const char* title, const std::vector<std::uint8_t>& block,
               const TScriptHeader& h, std::int32_t from, std::int32_t to) {
  const std::int32_t count = from < 0 ? 0 : ScriptTableCount(h, from, to);
  out << title << " (" << count << ")\n";
  for (std::int32_t i = 0; i < count; ++i) {
    const std::size_t record = static_cast<std::size_t>(from) + static_cast<std::size_t>(i) * h.RecordSize;
    if (record > block.size() || block.size() - record < h.RecordSize) {
      out << "  (table runs past the image)\n";
      return;
    }
    out << "  " << i << "  " << ReadLe32(block.data() + record) << "  "
        << ScriptRecordName(block.data(), block.size(), h, record) << "\n";
  }
}

std::string Quote(const std::uint8_t* bytes, std::size_t count) {
  std::string s = "\"";
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t c = bytes[i];
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      s.push_back(static_cast<char>(c));
    } else {
      s += "\\x";
      s.push_back(kHex[c >> 4]);
      s.push_back(kHex[c & 15]);
    }
  }
  return s + "\"";
}

void ListCode(std::ostringstream& out, const std::uint8_t* code, std::uint64_t size) {
  std::uint64_t cip = 0;
  while (cip < size) {
    if (size - cip < 4) {
      out << "  (" << size - cip << " stray bytes)\n";
      return;
    }
    const std::uint32_t number = static_cast<std::uint32_t>(ReadLe32(code + cip));
    const TOpcodeInfo* info = OpcodeInfo(number);
    out << "  " << cip << ":\t";
    if (info == nullptr || number == 0) {
      out << ".cell " << static_cast<std::int32_t>(number) << "\t; invalid instruction\n";
      cip += 4;
      continue;
    }
    const std::uint64_t fixed = 4 + 4ull * FixedOperandCells(info->Kind);
    if (cip + fixed > size) {
      out << info->Mnemonic << "\t; operands run past the code\n";
      return;
    }
    auto cell = [&](std::uint64_t at) { return ReadLe32(code + at); };
    out << info->Mnemonic;
    std::uint64_t next = cip + fixed;
    switch (info->Kind) {
      case TOperandKind::None:
        break;
      case TOperandKind::TwoCells:
        out << " " << cell(cip + 4) << ", " << cell(cip + 8);
        break;
      case TOperandKind::CaseTable: {
        const std::uint64_t n = static_cast<std::uint32_t>(cell(cip + 4));
        next = cip + 12 + 8 * n;
        if (next > size) {
          out << "\t; table runs past the code\n";
          return;
        }
        out << " " << cell(cip + 8);
        for (std::uint64_t i = 0; i < n; ++i) out << ", " << cell(cip + 12 + 8 * i) << ", " << cell(cip + 16 + 8 * i);
        break;
      }
      case TOperandKind::Bytes: {
        const std::uint64_t n = static_cast<std::uint32_t>(cell(cip + 4));
        next = cip + 8 + n;
        if (next > size) {
          out << "\t; data runs past the code\n";
          return;
        }
        out << " " << Quote(code + cip + 8, static_cast<std::size_t>(n));
        break;
      }
      default:
        out << " " << cell(cip + 4);
        break;
    }
    out << "\n";
    cip = next;
  }
}

}  // namespace

std::string DisassembleScript(const std::vector<std::uint8_t>& image) {
  std::ostringstream out;
  if (image.size() < kScriptHeaderSizeV6 || image.size() < ScriptHeaderSize(static_cast<std::int8_t>(image[hdr::FileVersion]))) {
    return "not a script image: " + std::to_string(image.size()) + " bytes\n";
  }
  const TScriptHeader h = ReadScriptHeader(image.data());
  out << "size            " << h.Size << "\n"
      << "magic           0x" << std::hex << h.Magic << std::dec << "\n"
      << "file version    " << int{h.FileVersion} << "\n"
      << "machine version " << int{h.MachineVersion} << "\n"
      << "flags           0x" << std::hex << h.Flags << std::dec
      << ((h.Flags & kScriptFlagCompact) ? " (compact)" : "") << "\n"
      << "record size     " << h.RecordSize << "\n"
      << "code            " << h.Code << "\n"
      << "data            " << h.Data << "\n"
      << "heap start      " << h.Heap << "\n"
      << "stack top       " << h.StackTop << "\n"
      << "main entry      " << h.Main << "\n"
      << "publics         " << h.Publics << "\n"
      << "natives         " << h.Natives << "\n"
      << "libraries       " << h.Libraries << "\n"
      << "public vars     " << h.PubVars << "\n"
      << "tags            " << h.Tags << "\n";
  if (h.FileVersion >= 7) out << "name table      " << h.NameTable << "\n";
  if (h.RecordSize != kScriptRecordInline && h.RecordSize != kScriptRecordNamed) {
    out << "(unknown record size: tables not listed)\n";
    return out.str();
  }
  std::vector<std::uint8_t> block(image);
  const bool compact = (h.Flags & kScriptFlagCompact) != 0;
  if (compact) {
    if (h.Code < 0 || h.Heap < h.Code || h.Size < h.Code || h.Heap > kMaxListedMemory ||
        static_cast<std::size_t>(h.Size) > image.size()) {
      out << "(compact stream cannot be expanded)\n";
      return out.str();
    }
    block.resize(std::max<std::size_t>(block.size(), static_cast<std::size_t>(h.Heap)), 0);
    if (ScriptExpandCompact(block.data() + h.Code, static_cast<std::size_t>(h.Size - h.Code),
                            static_cast<std::size_t>(h.Heap - h.Code)) != 0) {
      out << "(compact stream cannot be expanded)\n";
      return out.str();
    }
  }
  ListTable(out, "publics", block, h, h.Publics, h.Natives);
  ListTable(out, "natives", block, h, h.Natives, h.Libraries);
  ListTable(out, "libraries", block, h, h.Libraries, h.PubVars);
  ListTable(out, "public variables", block, h, h.PubVars, h.Tags);
  ListTable(out, "tags", block, h, h.Tags, h.FileVersion >= 7 ? h.NameTable : h.Code);
  if (h.Code < 0 || h.Data < h.Code || static_cast<std::size_t>(h.Data) > block.size()) {
    out << "(code section lies outside the image)\n";
    return out.str();
  }
  out << "code (" << h.Data - h.Code << " bytes)\n";
  ListCode(out, block.data() + h.Code, static_cast<std::uint64_t>(h.Data - h.Code));
  if (h.Heap >= h.Data && static_cast<std::size_t>(h.Heap) <= block.size()) {
    out << "data (" << h.Heap - h.Data << " bytes)\n";
    for (std::int32_t a = 0; a + 4 <= h.Heap - h.Data; a += 4) {
      out << "  " << a << ":\t.cell " << ReadLe32(block.data() + h.Data + a) << "\n";
    }
  }
  return out.str();
}

}  // namespace halvane
