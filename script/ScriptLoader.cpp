#include "script/ScriptLoader.h"

#include <array>
#include <cstring>
#include <vector>

#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptImage.h"
#include "script/ScriptOpcodes.h"

namespace halvane {
namespace {

constexpr std::size_t kPendingCells = 64;

// Offsets and tables must lie inside the block, in the order the format
// gives them, before anything reads through them.
bool LayoutIsSound(const TScriptHeader& h, std::size_t blockSize) {
  auto within = [](std::int64_t low, std::int64_t value, std::int64_t high) {
    return value >= low && value <= high;
  };
  const std::int64_t block = static_cast<std::int64_t>(blockSize);
  const std::int64_t header = static_cast<std::int64_t>(ScriptHeaderSize(h.FileVersion));
  if (!within(header, h.Size, block)) return false;
  if (!within(h.Size, h.StackTop, block)) return false;
  std::int64_t tagsEnd = h.FileVersion >= 7 ? h.NameTable : h.Code;
  if (!within(header, h.Publics, h.Natives) || !within(h.Publics, h.Natives, h.Libraries) ||
      !within(h.Natives, h.Libraries, h.PubVars) || !within(h.Libraries, h.PubVars, h.Tags) ||
      !within(h.PubVars, h.Tags, tagsEnd) || !within(h.Tags, tagsEnd, h.Code)) {
    return false;
  }
  if (h.RecordSize == kScriptRecordNamed && !within(header, h.NameTable, std::int64_t{h.Size} - 2)) {
    return false;
  }
  // STP must not lie below HLW.
  if (!within(h.Code, h.Data, h.Heap) || !within(h.Data, h.Heap, std::int64_t{h.StackTop} - 4)) {
    return false;
  }
  if (h.Flags & kScriptFlagCompact) {
    if (h.Size < h.Code || (h.Heap - h.Code) % 4 != 0) return false;
  } else if (h.Data > h.Size) {
    return false;  // the code must be stored
  }
  return true;
}

// Walks the code section once: every opcode must be known and every operand
// must lie inside the code section, so the interpreter's sequential fetches
// stay within it. Code offsets stay as they are: the interpreter resolves a
// target by adding it to its code pointer, a single assignment per jump.
int RelocatePass(TScriptMachine& m, const TScriptHeader& h) {
  m.DebugCode = 0;
  m.Flags = kScriptFlagRelocating;
  if (m.Debug(m) == 0) m.Flags |= kScriptFlagDebug;
  m.SysreqD = OP_SYSREQ_D;

  const std::uint8_t* code = m.Base + h.Code;
  const std::uint64_t codeSize = static_cast<std::uint64_t>(h.Data - h.Code);
  std::uint64_t cip = 0;
  auto fail = [&m]() {
    m.Flags &= ~kScriptFlagRelocating;
    return kScriptErrInstruction;
  };
  while (cip < codeSize) {
    if (codeSize - cip < 4) return fail();
    const TUCell op = static_cast<TUCell>(ReadLe32(code + cip));
    if (op < 1 || op >= kOpcodeCount) return fail();
    const TOpcodeInfo* info = OpcodeInfo(op);
    std::uint64_t length = 4 + 4ull * FixedOperandCells(info->Kind);
    if (cip + length > codeSize) return fail();
    if (info->Kind == TOperandKind::CaseTable) {
      std::uint64_t n = static_cast<TUCell>(ReadLe32(code + cip + 4));
      length = 4 + 8 * (n + 1);
    } else if (info->Kind == TOperandKind::Bytes) {
      length = 8 + static_cast<std::uint64_t>(static_cast<TUCell>(ReadLe32(code + cip + 4)));
    }
    if (cip + length > codeSize) return fail();
    cip += length;
  }
  m.Flags &= ~kScriptFlagRelocating;
  m.Flags |= kScriptFlagInitialised;
  return kScriptOk;
}

}  // namespace

int ScriptExpandCompact(std::uint8_t* region, std::size_t streamBytes, std::size_t outBytes) {
  if (outBytes % 4 != 0) return kScriptErrFormat;
  // Decode into a copy, and follow the positions the in-place expansion
  // would hold back so that a stream it could not expand is refused.
  std::vector<std::uint8_t> expanded(region, region + (outBytes > streamBytes ? outBytes : streamBytes));
  std::array<std::int64_t, kPendingCells> pending{};
  std::size_t pendingHead = 0;
  std::size_t pendingCount = 0;
  std::int64_t in = static_cast<std::int64_t>(streamBytes);
  std::int64_t out = static_cast<std::int64_t>(outBytes);
  while (in > 0) {
    std::uint64_t c = 0;
    unsigned shift = 0;
    do {
      --in;
      if (shift < 32) c |= static_cast<std::uint64_t>(region[in] & 0x7F) << shift;
      shift += 7;
    } while (in != 0 && (region[in - 1] & 0x80) != 0);
    if (region[in] & 0x40) {
      while (shift < 32) {
        c |= std::uint64_t{0xFF} << shift;
        shift += 8;
      }
    }
    while (pendingCount > 0 && pending[pendingHead] > in) {
      pendingHead = (pendingHead + 1) % kPendingCells;
      --pendingCount;
    }
    out -= 4;
    if (out < 0) return kScriptErrFormat;
    WriteLe32(expanded.data() + out, static_cast<std::int32_t>(static_cast<std::uint32_t>(c)));
    if (!(out > in || (out == in && out == 0))) {
      if (pendingCount == kPendingCells) return kScriptErrFormat;
      pending[(pendingHead + pendingCount) % kPendingCells] = out;
      ++pendingCount;
    }
  }
  if (outBytes > 0) std::memcpy(region, expanded.data(), outBytes);
  return kScriptOk;
}

int ScriptSetDebugHook(TScriptMachine& machine, TScriptDebugHook hook) {
  machine.Debug = hook;
  return kScriptOk;
}

int ScriptDebugDecline(TScriptMachine&) { return kScriptErrDebug; }

int ScriptInit(TScriptMachine& m, std::uint8_t* block, std::size_t blockSize) {
  if (m.Flags & kScriptFlagInitialised) return kScriptErrInit;
  if (block == nullptr || blockSize < kScriptHeaderSizeV6 ||
      blockSize < ScriptHeaderSize(static_cast<std::int8_t>(block[hdr::FileVersion]))) {
    return kScriptErrFormat;
  }
  const TScriptHeader h = ReadScriptHeader(block);
  if (h.Magic != kScriptMagic) return kScriptErrFormat;
  if (h.FileVersion < 6 || h.MachineVersion > static_cast<std::int8_t>(kScriptMaxMachineVersion)) {
    return kScriptErrVersion;
  }
  if (h.RecordSize != kScriptRecordInline && h.RecordSize != kScriptRecordNamed) {
    return kScriptErrFormat;
  }
  if (!LayoutIsSound(h, blockSize)) return kScriptErrFormat;
  if (h.RecordSize == kScriptRecordNamed && ReadLe16(block + h.NameTable) > kScriptMaxName) {
    return kScriptErrFormat;
  }
  if (h.StackTop <= 0) return kScriptErrFormat;
  if (h.Flags & kScriptFlagCompact) {
    int rc = ScriptExpandCompact(block + h.Code, static_cast<std::size_t>(h.Size - h.Code),
                                 static_cast<std::size_t>(h.Heap - h.Code));
    if (rc != kScriptOk) return rc;
  }

  m.Base = block;
  m.BlockSize = blockSize;
  WriteLe32(block + h.StackTop - 4, 0);
  m.HLW = h.Heap - h.Data;
  m.STP = h.StackTop - h.Data - 4;
  m.HEA = m.HLW;
  m.STK = m.STP;
  if (m.Callback == nullptr) m.Callback = ScriptNativeDispatch;
  if (m.Debug == nullptr) m.Debug = ScriptDebugDecline;
  m.CurLine = 0;
  m.CurFile = 0;
  m.Data = nullptr;
  m.Natives.assign(static_cast<std::size_t>(ScriptTableCount(h, h.Natives, h.Libraries)), nullptr);
  RelocatePass(m, h);
  return kScriptOk;
}

}  // namespace halvane
