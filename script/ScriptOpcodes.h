#pragma once
// The instruction set, listed once. The relocation pass, the interpreter's
// operand decoding, the assembler and the disassembler all read this list.
#include <cstdint>
#include <string_view>

namespace halvane {

// Operand kinds: a data address, an offset from FRM, a value, a code offset,
// a count, a shift count, a native number, a bound native (SYSREQ.D), and the
// three variable or double forms.
enum class TOperandKind : std::uint8_t {
  None,
  Addr,
  Offset,
  Value,
  Code,
  Count,
  Shift,
  Native,
  NativeRef,
  CaseTable,  // count, default target, count pairs (value, target)
  Bytes,      // byte count, then that many bytes
  TwoCells,
};

// X(identifier, mnemonic, number, operand kind)
#define HALVANE_SCRIPT_OPCODES(X)                 \
  X(NONE, "", 0, None)                            \
  X(LOAD_PRI, "LOAD.PRI", 1, Addr)                \
  X(LOAD_ALT, "LOAD.ALT", 2, Addr)                \
  X(LOAD_S_PRI, "LOAD.S.PRI", 3, Offset)          \
  X(LOAD_S_ALT, "LOAD.S.ALT", 4, Offset)          \
  X(LREF_PRI, "LREF.PRI", 5, Addr)                \
  X(LREF_ALT, "LREF.ALT", 6, Addr)                \
  X(LREF_S_PRI, "LREF.S.PRI", 7, Offset)          \
  X(LREF_S_ALT, "LREF.S.ALT", 8, Offset)          \
  X(LOAD_I, "LOAD.I", 9, None)                    \
  X(LODB_I, "LODB.I", 10, Count)                  \
  X(CONST_PRI, "CONST.PRI", 11, Value)            \
  X(CONST_ALT, "CONST.ALT", 12, Value)            \
  X(ADDR_PRI, "ADDR.PRI", 13, Offset)             \
  X(ADDR_ALT, "ADDR.ALT", 14, Offset)             \
  X(STOR_PRI, "STOR.PRI", 15, Addr)               \
  X(STOR_ALT, "STOR.ALT", 16, Addr)               \
  X(STOR_S_PRI, "STOR.S.PRI", 17, Offset)         \
  X(STOR_S_ALT, "STOR.S.ALT", 18, Offset)         \
  X(SREF_PRI, "SREF.PRI", 19, Addr)               \
  X(SREF_ALT, "SREF.ALT", 20, Addr)               \
  X(SREF_S_PRI, "SREF.S.PRI", 21, Offset)         \
  X(SREF_S_ALT, "SREF.S.ALT", 22, Offset)         \
  X(STOR_I, "STOR.I", 23, None)                   \
  X(STRB_I, "STRB.I", 24, Count)                  \
  X(LIDX, "LIDX", 25, None)                       \
  X(LIDX_B, "LIDX.B", 26, Shift)                  \
  X(IDXADDR, "IDXADDR", 27, None)                 \
  X(IDXADDR_B, "IDXADDR.B", 28, Shift)            \
  X(ALIGN_PRI, "ALIGN.PRI", 29, Count)            \
  X(ALIGN_ALT, "ALIGN.ALT", 30, Count)            \
  X(LCTRL, "LCTRL", 31, Count)                    \
  X(SCTRL, "SCTRL", 32, Count)                    \
  X(MOVE_PRI, "MOVE.PRI", 33, None)               \
  X(MOVE_ALT, "MOVE.ALT", 34, None)               \
  X(XCHG, "XCHG", 35, None)                       \
  X(PUSH_PRI, "PUSH.PRI", 36, None)               \
  X(PUSH_ALT, "PUSH.ALT", 37, None)               \
  X(PUSH_R, "PUSH.R", 38, Count)                  \
  X(PUSH_C, "PUSH.C", 39, Value)                  \
  X(PUSH, "PUSH", 40, Addr)                       \
  X(PUSH_S, "PUSH.S", 41, Offset)                 \
  X(POP_PRI, "POP.PRI", 42, None)                 \
  X(POP_ALT, "POP.ALT", 43, None)                 \
  X(STACK, "STACK", 44, Value)                    \
  X(HEAP, "HEAP", 45, Value)                      \
  X(PROC, "PROC", 46, None)                       \
  X(RET, "RET", 47, None)                         \
  X(RETN, "RETN", 48, None)                       \
  X(CALL, "CALL", 49, Code)                       \
  X(CALL_PRI, "CALL.PRI", 50, None)               \
  X(JUMP, "JUMP", 51, Code)                       \
  X(JREL, "JREL", 52, Value)                      \
  X(JZER, "JZER", 53, Code)                       \
  X(JNZ, "JNZ", 54, Code)                         \
  X(JEQ, "JEQ", 55, Code)                         \
  X(JNEQ, "JNEQ", 56, Code)                       \
  X(JLESS, "JLESS", 57, Code)                     \
  X(JLEQ, "JLEQ", 58, Code)                       \
  X(JGRTR, "JGRTR", 59, Code)                     \
  X(JGEQ, "JGEQ", 60, Code)                       \
  X(JSLESS, "JSLESS", 61, Code)                   \
  X(JSLEQ, "JSLEQ", 62, Code)                     \
  X(JSGRTR, "JSGRTR", 63, Code)                   \
  X(JSGEQ, "JSGEQ", 64, Code)                     \
  X(SHL, "SHL", 65, None)                         \
  X(SHR, "SHR", 66, None)                         \
  X(SSHR, "SSHR", 67, None)                       \
  X(SHL_C_PRI, "SHL.C.PRI", 68, Shift)            \
  X(SHL_C_ALT, "SHL.C.ALT", 69, Shift)            \
  X(SHR_C_PRI, "SHR.C.PRI", 70, Shift)            \
  X(SHR_C_ALT, "SHR.C.ALT", 71, Shift)            \
  X(SMUL, "SMUL", 72, None)                       \
  X(SDIV, "SDIV", 73, None)                       \
  X(SDIV_ALT, "SDIV.ALT", 74, None)               \
  X(UMUL, "UMUL", 75, None)                       \
  X(UDIV, "UDIV", 76, None)                       \
  X(UDIV_ALT, "UDIV.ALT", 77, None)               \
  X(ADD, "ADD", 78, None)                         \
  X(SUB, "SUB", 79, None)                         \
  X(SUB_ALT, "SUB.ALT", 80, None)                 \
  X(AND, "AND", 81, None)                         \
  X(OR, "OR", 82, None)                           \
  X(XOR, "XOR", 83, None)                         \
  X(NOT, "NOT", 84, None)                         \
  X(NEG, "NEG", 85, None)                         \
  X(INVERT, "INVERT", 86, None)                   \
  X(ADD_C, "ADD.C", 87, Value)                    \
  X(SMUL_C, "SMUL.C", 88, Value)                  \
  X(ZERO_PRI, "ZERO.PRI", 89, None)               \
  X(ZERO_ALT, "ZERO.ALT", 90, None)               \
  X(ZERO, "ZERO", 91, Addr)                       \
  X(ZERO_S, "ZERO.S", 92, Offset)                 \
  X(SIGN_PRI, "SIGN.PRI", 93, None)               \
  X(SIGN_ALT, "SIGN.ALT", 94, None)               \
  X(EQ, "EQ", 95, None)                           \
  X(NEQ, "NEQ", 96, None)                         \
  X(LESS, "LESS", 97, None)                       \
  X(LEQ, "LEQ", 98, None)                         \
  X(GRTR, "GRTR", 99, None)                       \
  X(GEQ, "GEQ", 100, None)                        \
  X(SLESS, "SLESS", 101, None)                    \
  X(SLEQ, "SLEQ", 102, None)                      \
  X(SGRTR, "SGRTR", 103, None)                    \
  X(SGEQ, "SGEQ", 104, None)                      \
  X(EQ_C_PRI, "EQ.C.PRI", 105, Value)             \
  X(EQ_C_ALT, "EQ.C.ALT", 106, Value)             \
  X(INC_PRI, "INC.PRI", 107, None)                \
  X(INC_ALT, "INC.ALT", 108, None)                \
  X(INC, "INC", 109, Addr)                        \
  X(INC_S, "INC.S", 110, Offset)                  \
  X(INC_I, "INC.I", 111, None)                    \
  X(DEC_PRI, "DEC.PRI", 112, None)                \
  X(DEC_ALT, "DEC.ALT", 113, None)                \
  X(DEC, "DEC", 114, Addr)                        \
  X(DEC_S, "DEC.S", 115, Offset)                  \
  X(DEC_I, "DEC.I", 116, None)                    \
  X(MOVS, "MOVS", 117, Count)                     \
  X(CMPS, "CMPS", 118, Count)                     \
  X(FILL, "FILL", 119, Count)                     \
  X(HALT, "HALT", 120, Value)                     \
  X(BOUNDS, "BOUNDS", 121, Value)                 \
  X(SYSREQ_PRI, "SYSREQ.PRI", 122, None)          \
  X(SYSREQ_C, "SYSREQ.C", 123, Native)            \
  X(FILE, "FILE", 124, Bytes)                     \
  X(LINE, "LINE", 125, TwoCells)                  \
  X(SYMBOL, "SYMBOL", 126, Bytes)                 \
  X(SRANGE, "SRANGE", 127, TwoCells)              \
  X(JUMP_PRI, "JUMP.PRI", 128, None)              \
  X(SWITCH, "SWITCH", 129, Code)                  \
  X(CASETBL, "CASETBL", 130, CaseTable)           \
  X(SWAP_PRI, "SWAP.PRI", 131, None)              \
  X(SWAP_ALT, "SWAP.ALT", 132, None)              \
  X(PUSHADDR, "PUSHADDR", 133, Offset)            \
  X(NOP, "NOP", 134, None)                        \
  X(SYSREQ_D, "SYSREQ.D", 135, NativeRef)         \
  X(SYMTAG, "SYMTAG", 136, Value)

enum TOpcode : std::uint32_t {
#define HALVANE_OPCODE_ENUM(id, mnemonic, number, kind) OP_##id = number,
  HALVANE_SCRIPT_OPCODES(HALVANE_OPCODE_ENUM)
#undef HALVANE_OPCODE_ENUM
};

inline constexpr std::uint32_t kOpcodeCount = 137;  // numbers 0..136

struct TOpcodeInfo {
  std::string_view Mnemonic;  // empty for number 0
  std::uint32_t Number;
  TOperandKind Kind;
};

// The entry of an opcode number, or nullptr above 136.
const TOpcodeInfo* OpcodeInfo(std::uint32_t number) noexcept;

// The entry of a mnemonic compared without regard to ASCII case, or nullptr.
const TOpcodeInfo* FindOpcode(std::string_view mnemonic) noexcept;

// Operand cells that follow the opcode for kinds of fixed width; the
// variable kinds (CaseTable, Bytes) give their first cell only.
constexpr std::uint32_t FixedOperandCells(TOperandKind kind) noexcept {
  switch (kind) {
    case TOperandKind::None:
      return 0;
    case TOperandKind::TwoCells:
    case TOperandKind::CaseTable:
      return 2;
    default:
      return 1;
  }
}

}  // namespace halvane
