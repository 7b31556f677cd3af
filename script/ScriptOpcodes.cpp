#include "script/ScriptOpcodes.h"

#include <array>

namespace halvane {
namespace {

constexpr std::array<TOpcodeInfo, kOpcodeCount> kOpcodes = {{
#define HALVANE_OPCODE_ROW(id, mnemonic, number, kind) {mnemonic, number, TOperandKind::kind},
    HALVANE_SCRIPT_OPCODES(HALVANE_OPCODE_ROW)
#undef HALVANE_OPCODE_ROW
}};

constexpr bool NumbersMatchPositions() {
  for (std::uint32_t i = 0; i < kOpcodes.size(); ++i) {
    if (kOpcodes[i].Number != i) return false;
  }
  return true;
}
static_assert(NumbersMatchPositions(), "opcode list must be in number order");

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

const TOpcodeInfo* OpcodeInfo(std::uint32_t number) noexcept {
  return number < kOpcodes.size() ? &kOpcodes[number] : nullptr;
}

const TOpcodeInfo* FindOpcode(std::string_view mnemonic) noexcept {
  if (mnemonic.empty()) return nullptr;
  for (const TOpcodeInfo& info : kOpcodes) {
    if (info.Mnemonic.size() != mnemonic.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < mnemonic.size() && same; ++i) {
      same = UpperAscii(mnemonic[i]) == info.Mnemonic[i];
    }
    if (same) return &info;
  }
  return nullptr;
}

}  // namespace halvane
