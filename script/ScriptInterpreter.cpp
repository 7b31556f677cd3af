// Longer than the project's usual file: the interpreter is one dispatch loop
// with a case per opcode, kept in one function so the hot path stays one
// switch the compiler can turn into a jump table.
#include "script/ScriptInterpreter.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptImage.h"
#include "script/ScriptOpcodes.h"

#if defined(__GNUC__) && !defined(HALVANE_SCRIPT_SWITCH_DISPATCH)
#define HALVANE_THREADED_DISPATCH 1
#endif

namespace halvane {
namespace {

using u32 = std::uint32_t;
using i32 = std::int32_t;
using i64 = std::int64_t;
using u64 = std::uint64_t;

// Bytes an instruction occupies at least: the opcode and its fixed operands.
constexpr std::array<u32, kOpcodeCount> kNeed = {{
#define HALVANE_OPCODE_NEED(id, mnemonic, number, kind) 4 + 4 * FixedOperandCells(TOperandKind::kind),
    HALVANE_SCRIPT_OPCODES(HALVANE_OPCODE_NEED)
#undef HALVANE_OPCODE_NEED
}};

inline u32 Rd(const std::uint8_t* p) noexcept {
  u32 v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = static_cast<u32>(ReadLe32(p));
  return v;
}

inline void Wr(std::uint8_t* p, u32 v) noexcept {
  if constexpr (std::endian::native == std::endian::big) {
    WriteLe32(p, static_cast<i32>(v));
  } else {
    std::memcpy(p, &v, 4);
  }
}

inline i32 S(u32 v) noexcept { return static_cast<i32>(v); }

// Floored division; the pair (quotient, remainder) of the SDIV instructions.
inline void FlooredDivide(u32 dividend, u32 divisor, u32& quotient, u32& remainder) noexcept {
  const i64 p = S(dividend);
  const i64 a = S(divisor);
  const i64 r = ((p % a) + a) % a;
  quotient = static_cast<u32>((p - r) / a);
  remainder = static_cast<u32>(r);
}

}  // namespace

int ScriptExecArray(TScriptMachine& m, TCell* result, int index, int n, const TCell* args) {
  if (m.Callback == nullptr) return kScriptErrCallback;
  if (m.Base == nullptr) return kScriptErrInit;
  if (ScriptRegister(m, nullptr, 0) != kScriptOk) return kScriptErrNotFound;
  if ((m.Flags & kScriptFlagInitialised) == 0) return kScriptErrInit;

  const TScriptHeader h = ReadScriptHeader(m.Base);
  std::uint8_t* const code = m.Base + h.Code;
  std::uint8_t* const mem = m.Base + h.Data;
  const u32 codeSize = static_cast<u32>(h.Data - h.Code);
  const i64 codeLast = i64{codeSize} - 4;
  const u32 stp = static_cast<u32>(m.STP);
  const i32 hlw = m.HLW;

  u32 hea = static_cast<u32>(m.HEA);
  u32 stk = static_cast<u32>(m.STK);
  u32 resetStk = stk;
  u32 resetHea = hea;
  u32 frm = 0;
  u32 alt = 0;
  u32 pri = 0;
  u32 cip = 0;
  u32 op = 0;
  int rc = kScriptOk;
  const bool limited = m.BranchBudget != 0;
  m.BranchBudgetSpent = false;
  u64 budget = m.BranchBudget;

  if (index == kScriptExecMain) {
    if (h.Main < 0) return kScriptErrIndex;
    cip = static_cast<u32>(h.Main);
  } else if (index == kScriptExecCont) {
    frm = static_cast<u32>(m.FRM);
    stk = static_cast<u32>(m.STK);
    hea = static_cast<u32>(m.HEA);
    pri = static_cast<u32>(m.PRI);
    alt = static_cast<u32>(m.ALT);
    resetStk = static_cast<u32>(m.ResetSTK);
    resetHea = static_cast<u32>(m.ResetHEA);
    cip = static_cast<u32>(m.CIP);
  } else if (index < 0 || index >= ScriptTableCount(h, h.Publics, h.Natives)) {
    return kScriptErrIndex;
  } else {
    cip = static_cast<u32>(ReadLe32(m.Base + h.Publics + index * h.RecordSize));
  }
  if (S(stk) > S(stp)) return kScriptErrStackLow;
  if (S(hea) < hlw) return kScriptErrHeapLow;

#define FAIL(code)    \
  do {                \
    rc = (code);      \
    goto fail;        \
  } while (0)
#define BAD_ADDR(a) ((a) >= stp || ((a) >= hea && (a) < stk))
#define CHECK(a) \
  if (BAD_ADDR(a)) FAIL(kScriptErrMemory)
#define MARGIN() \
  if (i64{S(stk)} < i64{S(hea)} + 64) FAIL(kScriptErrStackHeap)
#define PUSH(v)                                \
  do {                                         \
    const u32 pushed = (v);                    \
    stk -= 4;                                  \
    if (stk >= stp) FAIL(kScriptErrMemory);    \
    Wr(mem + stk, pushed);                     \
  } while (0)
#define POP(r)                                 \
  do {                                         \
    if (stk >= stp) FAIL(kScriptErrMemory);    \
    (r) = Rd(mem + stk);                       \
    stk += 4;                                  \
  } while (0)
#define OPERAND() Rd(code + cip)
#define BRANCH() \
  if (limited && --budget == 0) goto suspend_budget

  if (index != kScriptExecCont) {
    const i64 needed = 4 * i64{n} + 8;
    if (n < 0 || i64{S(stk)} - needed < i64{S(hea)} + 64) return kScriptErrStackHeap;
    stk -= static_cast<u32>(4 * n);
    for (int i = 0; i < n; ++i) Wr(mem + stk + 4 * static_cast<u32>(i), static_cast<u32>(args[i]));
    PUSH(static_cast<u32>(4 * n));
    PUSH(0u);
  }
  MARGIN();

#if HALVANE_THREADED_DISPATCH
  static const void* const kLabels[kOpcodeCount] = {
#define HALVANE_OPCODE_LABEL(id, mnemonic, number, kind) &&L_##id,
      HALVANE_SCRIPT_OPCODES(HALVANE_OPCODE_LABEL)
#undef HALVANE_OPCODE_LABEL
  };
#define CASE(id) \
  case OP_##id:  \
  L_##id:
#define FETCH()                                                       \
  do {                                                                \
    if (static_cast<i64>(cip) > codeLast) FAIL(kScriptErrMemory);     \
    op = Rd(code + cip);                                              \
    if (op >= kOpcodeCount) FAIL(kScriptErrInstruction);              \
    if (codeSize - cip < kNeed[op]) FAIL(kScriptErrMemory);           \
    cip += 4;                                                         \
  } while (0)
#define NEXT         \
  do {               \
    FETCH();         \
    goto* kLabels[op]; \
  } while (0)
#else
#define CASE(id) case OP_##id:
#define FETCH()                                                       \
  do {                                                                \
    if (static_cast<i64>(cip) > codeLast) FAIL(kScriptErrMemory);     \
    op = Rd(code + cip);                                              \
    if (op >= kOpcodeCount) FAIL(kScriptErrInstruction);              \
    if (codeSize - cip < kNeed[op]) FAIL(kScriptErrMemory);           \
    cip += 4;                                                         \
  } while (0)
#define NEXT goto next
#endif

#if HALVANE_THREADED_DISPATCH
  NEXT;
#else
next:
  FETCH();
#endif
  switch (op) {
    CASE(NONE)
    CASE(CASETBL)
    FAIL(kScriptErrInstruction);

// The memory families differ only in the address's base (0 for a data
// address, FRM for an offset) and the register.
#define LOAD_OP(id, base, reg) \
  CASE(id) {                   \
    const u32 a = (base) + OPERAND(); \
    cip += 4;                  \
    CHECK(a);                  \
    reg = Rd(mem + a);         \
  }                            \
  NEXT;
#define LREF_OP(id, base, reg) \
  CASE(id) {                   \
    const u32 a = (base) + OPERAND(); \
    cip += 4;                  \
    CHECK(a);                  \
    const u32 b = Rd(mem + a); \
    CHECK(b);                  \
    reg = Rd(mem + b);         \
  }                            \
  NEXT;
#define STOR_OP(id, base, reg) \
  CASE(id) {                   \
    const u32 a = (base) + OPERAND(); \
    cip += 4;                  \
    CHECK(a);                  \
    Wr(mem + a, reg);          \
  }                            \
  NEXT;
#define SREF_OP(id, base, reg) \
  CASE(id) {                   \
    const u32 a = (base) + OPERAND(); \
    cip += 4;                  \
    CHECK(a);                  \
    const u32 b = Rd(mem + a); \
    CHECK(b);                  \
    Wr(mem + b, reg);          \
  }                            \
  NEXT;
    LOAD_OP(LOAD_PRI, 0u, pri)
    LOAD_OP(LOAD_ALT, 0u, alt)
    LOAD_OP(LOAD_S_PRI, frm, pri)
    LOAD_OP(LOAD_S_ALT, frm, alt)
    LREF_OP(LREF_PRI, 0u, pri)
    LREF_OP(LREF_ALT, 0u, alt)
    LREF_OP(LREF_S_PRI, frm, pri)
    LREF_OP(LREF_S_ALT, frm, alt)
    STOR_OP(STOR_PRI, 0u, pri)
    STOR_OP(STOR_ALT, 0u, alt)
    STOR_OP(STOR_S_PRI, frm, pri)
    STOR_OP(STOR_S_ALT, frm, alt)
    SREF_OP(SREF_PRI, 0u, pri)
    SREF_OP(SREF_ALT, 0u, alt)
    SREF_OP(SREF_S_PRI, frm, pri)
    SREF_OP(SREF_S_ALT, frm, alt)
    STOR_OP(ZERO, 0u, 0u)
    STOR_OP(ZERO_S, frm, 0u)
#undef LOAD_OP
#undef LREF_OP
#undef STOR_OP
#undef SREF_OP

    CASE(LOAD_I) {
      CHECK(pri);
      pri = Rd(mem + pri);
    }
    NEXT;
    CASE(LODB_I) {
      const u32 width = OPERAND();
      cip += 4;
      CHECK(pri);
      if (width == 1) {
        pri = mem[pri];
      } else if (width == 2) {
        pri = static_cast<u32>(mem[pri]) | (static_cast<u32>(mem[pri + 1]) << 8);
      } else if (width == 4) {
        pri = Rd(mem + pri);
      }
    }
    NEXT;
    CASE(CONST_PRI) {
      pri = OPERAND();
      cip += 4;
    }
    NEXT;
    CASE(CONST_ALT) {
      alt = OPERAND();
      cip += 4;
    }
    NEXT;
    CASE(ADDR_PRI) {
      pri = frm + OPERAND();
      cip += 4;
    }
    NEXT;
    CASE(ADDR_ALT) {
      alt = frm + OPERAND();
      cip += 4;
    }
    NEXT;
    CASE(STOR_I) {
      CHECK(alt);
      Wr(mem + alt, pri);
    }
    NEXT;
    CASE(STRB_I) {
      const u32 width = OPERAND();
      cip += 4;
      CHECK(alt);
      if (width == 1) {
        mem[alt] = static_cast<std::uint8_t>(pri);
      } else if (width == 2) {
        mem[alt] = static_cast<std::uint8_t>(pri);
        mem[alt + 1] = static_cast<std::uint8_t>(pri >> 8);
      } else if (width == 4) {
        Wr(mem + alt, pri);
      }
    }
    NEXT;
    CASE(LIDX) {
      const u32 x = pri * 4 + alt;
      CHECK(x);
      pri = Rd(mem + x);
    }
    NEXT;
    CASE(LIDX_B) {
      const u32 x = (pri << (OPERAND() & 31)) + alt;
      cip += 4;
      CHECK(x);
      pri = Rd(mem + x);
    }
    NEXT;
    CASE(IDXADDR) { pri = pri * 4 + alt; }
    NEXT;
    CASE(IDXADDR_B) {
      pri = (pri << (OPERAND() & 31)) + alt;
      cip += 4;
    }
    NEXT;
    CASE(ALIGN_PRI) {
      const u32 v = OPERAND();
      cip += 4;
      if (v < 4) pri ^= 4 - v;
    }
    NEXT;
    CASE(ALIGN_ALT) {
      const u32 v = OPERAND();
      cip += 4;
      if (v < 4) alt ^= 4 - v;
    }
    NEXT;
    CASE(LCTRL) {
      const u32 which = OPERAND();
      cip += 4;
      switch (which) {
        case 0: pri = static_cast<u32>(h.Code); break;
        case 1: pri = static_cast<u32>(h.Data); break;
        case 2: pri = hea; break;
        case 3: pri = stp; break;
        case 4: pri = stk; break;
        case 5: pri = frm; break;
        case 6: pri = cip; break;
        default: break;
      }
    }
    NEXT;
    CASE(SCTRL) {
      const u32 which = OPERAND();
      cip += 4;
      switch (which) {
        case 2: hea = pri; break;
        case 4: stk = pri; break;
        case 5: frm = pri; break;
        case 6:
          cip = pri;
          BRANCH();
          break;
        default: break;
      }
    }
    NEXT;
    CASE(MOVE_PRI) { pri = alt; }
    NEXT;
    CASE(MOVE_ALT) { alt = pri; }
    NEXT;
    CASE(XCHG) {
      const u32 t = pri;
      pri = alt;
      alt = t;
    }
    NEXT;
    CASE(PUSH_PRI) { PUSH(pri); }
    NEXT;
    CASE(PUSH_ALT) { PUSH(alt); }
    NEXT;
    CASE(PUSH_R) {
      const i32 count = S(OPERAND());
      cip += 4;
      for (i32 i = 0; i < count; ++i) PUSH(pri);
    }
    NEXT;
    CASE(PUSH_C) {
      const u32 v = OPERAND();
      cip += 4;
      PUSH(v);
    }
    NEXT;
    CASE(PUSH) {
      const u32 a = OPERAND();
      cip += 4;
      CHECK(a);
      PUSH(Rd(mem + a));
    }
    NEXT;
    CASE(PUSH_S) {
      const u32 a = frm + OPERAND();
      cip += 4;
      CHECK(a);
      PUSH(Rd(mem + a));
    }
    NEXT;
    CASE(POP_PRI) { POP(pri); }
    NEXT;
    CASE(POP_ALT) { POP(alt); }
    NEXT;
    CASE(STACK) {
      const u32 v = OPERAND();
      cip += 4;
      alt = stk;
      stk += v;
      MARGIN();
      if (S(stk) > S(stp)) FAIL(kScriptErrStackLow);
    }
    NEXT;
    CASE(HEAP) {
      const u32 v = OPERAND();
      cip += 4;
      alt = hea;
      hea += v;
      MARGIN();
      if (S(hea) < hlw) FAIL(kScriptErrHeapLow);
    }
    NEXT;
    CASE(PROC) {
      PUSH(frm);
      frm = stk;
      MARGIN();
    }
    NEXT;
    CASE(RET) {
      u32 r;
      POP(frm);
      POP(r);
      if (r >= codeSize) FAIL(kScriptErrMemory);
      cip = r;
      BRANCH();
    }
    NEXT;
    CASE(RETN) {
      u32 r;
      POP(frm);
      POP(r);
      if (r >= codeSize) FAIL(kScriptErrMemory);
      cip = r;
      CHECK(stk);
      stk += Rd(mem + stk) + 4;
      m.STK = S(stk);
      BRANCH();
    }
    NEXT;
    CASE(CALL) {
      const u32 t = OPERAND();
      PUSH(cip + 4);
      cip = t;
      BRANCH();
    }
    NEXT;
    CASE(CALL_PRI) {
      PUSH(cip);
      cip = pri;
      BRANCH();
    }
    NEXT;
    CASE(JUMP) {
      cip = OPERAND();
      BRANCH();
    }
    NEXT;
    CASE(JREL) {
      cip = cip + 4 + OPERAND();
      BRANCH();
    }
    NEXT;

#define JUMP_IF(id, condition) \
  CASE(id) {                   \
    if (condition) {           \
      cip = OPERAND();         \
      BRANCH();                \
    } else {                   \
      cip += 4;                \
    }                          \
  }                            \
  NEXT;
    JUMP_IF(JZER, pri == 0)
    JUMP_IF(JNZ, pri != 0)
    JUMP_IF(JEQ, pri == alt)
    JUMP_IF(JNEQ, pri != alt)
    JUMP_IF(JLESS, pri < alt)
    JUMP_IF(JLEQ, pri <= alt)
    JUMP_IF(JGRTR, pri > alt)
    JUMP_IF(JGEQ, pri >= alt)
    JUMP_IF(JSLESS, S(pri) < S(alt))
    JUMP_IF(JSLEQ, S(pri) <= S(alt))
    JUMP_IF(JSGRTR, S(pri) > S(alt))
    JUMP_IF(JSGEQ, S(pri) >= S(alt))
#undef JUMP_IF

    CASE(SHL) { pri <<= (alt & 31); }
    NEXT;
    CASE(SHR) { pri >>= (alt & 31); }
    NEXT;
    CASE(SSHR) { pri = static_cast<u32>(S(pri) >> (alt & 31)); }
    NEXT;
    CASE(SHL_C_PRI) {
      pri <<= (OPERAND() & 31);
      cip += 4;
    }
    NEXT;
    CASE(SHL_C_ALT) {
      alt <<= (OPERAND() & 31);
      cip += 4;
    }
    NEXT;
    CASE(SHR_C_PRI) {
      pri >>= (OPERAND() & 31);
      cip += 4;
    }
    NEXT;
    CASE(SHR_C_ALT) {
      alt >>= (OPERAND() & 31);
      cip += 4;
    }
    NEXT;
    CASE(SMUL) { pri *= alt; }
    NEXT;
    CASE(SDIV) {
      if (alt == 0) FAIL(kScriptErrDivide);
      FlooredDivide(pri, alt, pri, alt);
    }
    NEXT;
    CASE(SDIV_ALT) {
      if (pri == 0) FAIL(kScriptErrDivide);
      FlooredDivide(alt, pri, pri, alt);
    }
    NEXT;
    CASE(UMUL) { pri *= alt; }
    NEXT;
    CASE(UDIV) {
      if (alt == 0) FAIL(kScriptErrDivide);
      const u32 q = pri / alt;
      alt = pri % alt;
      pri = q;
    }
    NEXT;
    CASE(UDIV_ALT) {
      if (pri == 0) FAIL(kScriptErrDivide);
      const u32 q = alt / pri;
      alt = alt % pri;
      pri = q;
    }
    NEXT;
    CASE(ADD) { pri += alt; }
    NEXT;
    CASE(SUB) { pri -= alt; }
    NEXT;
    CASE(SUB_ALT) { pri = alt - pri; }
    NEXT;
    CASE(AND) { pri &= alt; }
    NEXT;
    CASE(OR) { pri |= alt; }
    NEXT;
    CASE(XOR) { pri ^= alt; }
    NEXT;
    CASE(NOT) { pri = pri == 0 ? 1u : 0u; }
    NEXT;
    CASE(NEG) { pri = 0u - pri; }
    NEXT;
    CASE(INVERT) { pri = ~pri; }
    NEXT;
    CASE(ADD_C) {
      pri += OPERAND();
      cip += 4;
    }
    NEXT;
    CASE(SMUL_C) {
      pri *= OPERAND();
      cip += 4;
    }
    NEXT;
    CASE(ZERO_PRI) { pri = 0; }
    NEXT;
    CASE(ZERO_ALT) { alt = 0; }
    NEXT;
    CASE(SIGN_PRI) {
      if ((pri & 0xFF) >= 0x80) pri |= 0xFFFFFF00u;
    }
    NEXT;
    CASE(SIGN_ALT) {
      if ((alt & 0xFF) >= 0x80) alt |= 0xFFFFFF00u;
    }
    NEXT;

#define COMPARE(id, condition)  \
  CASE(id) {                    \
    pri = (condition) ? 1u : 0u; \
  }                             \
  NEXT;
    COMPARE(EQ, pri == alt)
    COMPARE(NEQ, pri != alt)
    COMPARE(LESS, pri < alt)
    COMPARE(LEQ, pri <= alt)
    COMPARE(GRTR, pri > alt)
    COMPARE(GEQ, pri >= alt)
    COMPARE(SLESS, S(pri) < S(alt))
    COMPARE(SLEQ, S(pri) <= S(alt))
    COMPARE(SGRTR, S(pri) > S(alt))
    COMPARE(SGEQ, S(pri) >= S(alt))
#undef COMPARE

    CASE(EQ_C_PRI) {
      pri = pri == OPERAND() ? 1u : 0u;
      cip += 4;
    }
    NEXT;
    CASE(EQ_C_ALT) {
      pri = alt == OPERAND() ? 1u : 0u;
      cip += 4;
    }
    NEXT;
    CASE(INC_PRI) { ++pri; }
    NEXT;
    CASE(INC_ALT) { ++alt; }
    NEXT;
#define UPDATE_OP(id, base, delta) \
  CASE(id) {                       \
    const u32 a = (base) + OPERAND(); \
    cip += 4;                      \
    CHECK(a);                      \
    Wr(mem + a, Rd(mem + a) + (delta)); \
  }                                \
  NEXT;
    UPDATE_OP(INC, 0u, 1u)
    UPDATE_OP(INC_S, frm, 1u)
    CASE(INC_I) {
      CHECK(pri);
      Wr(mem + pri, Rd(mem + pri) + 1);
    }
    NEXT;
    CASE(DEC_PRI) { --pri; }
    NEXT;
    CASE(DEC_ALT) { --alt; }
    NEXT;
    UPDATE_OP(DEC, 0u, 0xFFFFFFFFu)
    UPDATE_OP(DEC_S, frm, 0xFFFFFFFFu)
#undef UPDATE_OP
    CASE(DEC_I) {
      CHECK(pri);
      Wr(mem + pri, Rd(mem + pri) - 1);
    }
    NEXT;

#define CHECK_RANGE(a, count)                                                  \
  do {                                                                         \
    CHECK(a);                                                                  \
    const u64 end = u64{a} + (count);                                          \
    if (end > stp || (end > hea && end < stk)) FAIL(kScriptErrMemory);         \
  } while (0)
    CASE(MOVS) {
      const u32 count = OPERAND();
      cip += 4;
      CHECK_RANGE(pri, count);
      CHECK_RANGE(alt, count);
      std::memmove(mem + alt, mem + pri, count);
    }
    NEXT;
    CASE(CMPS) {
      const u32 count = OPERAND();
      cip += 4;
      CHECK_RANGE(pri, count);
      CHECK_RANGE(alt, count);
      u32 order = 0;
      for (u32 i = 0; i < count; ++i) {
        if (mem[alt + i] != mem[pri + i]) {
          order = mem[alt + i] < mem[pri + i] ? 0xFFFFFFFFu : 1u;
          break;
        }
      }
      pri = order;
    }
    NEXT;
    CASE(FILL) {
      const u32 count = OPERAND();
      cip += 4;
      CHECK_RANGE(alt, count);
      for (u32 i = 0; i + 4 <= count; i += 4) Wr(mem + alt + i, pri);
    }
    NEXT;
#undef CHECK_RANGE

    CASE(HALT) {
      const u32 v = OPERAND();
      cip += 4;
      if (result != nullptr) *result = S(pri);
      m.FRM = S(frm);
      m.STK = S(stk);
      m.HEA = S(hea);
      m.PRI = S(pri);
      m.ALT = S(alt);
      m.CIP = S(cip);
      if (S(v) == kScriptSleep) {
        m.ResetSTK = S(resetStk);
        m.ResetHEA = S(resetHea);
        return kScriptSleep;
      }
      m.STK = S(resetStk);
      m.HEA = S(resetHea);
      return S(v);
    }
    CASE(BOUNDS) {
      const u32 limit = OPERAND();
      cip += 4;
      if (pri > limit) FAIL(kScriptErrBounds);
    }
    NEXT;

    CASE(SYSREQ_PRI)
    CASE(SYSREQ_C)
    CASE(SYSREQ_D) {
      const u32 native = op == OP_SYSREQ_PRI ? pri : OPERAND();
      if (op != OP_SYSREQ_PRI) cip += 4;
      if (stk >= stp) FAIL(kScriptErrMemory);
      // Natives read a window of cells from STK; copy it so that they need
      // neither alignment nor bounds of their own.
      TCell params[kNativeParamWindow] = {};
      for (std::size_t i = 0; i < kNativeParamWindow && u64{stk} + 4 * i + 4 <= u64{stp} + 4; ++i) {
        params[i] = S(Rd(mem + stk + 4 * i));
      }
      m.CIP = S(cip);
      m.HEA = S(hea);
      m.FRM = S(frm);
      m.STK = S(stk);
      int status;
      if (op == OP_SYSREQ_D) {
        if (native >= m.Natives.size()) FAIL(kScriptErrIndex);
        const NativeFunc f = m.Natives[native];
        if (f == nullptr) FAIL(kScriptErrNotFound);
        m.Error = kScriptOk;
        pri = static_cast<u32>(f(m, params));
        status = m.Error;
      } else {
        TCell value = S(pri);
        status = m.Callback(m, S(native), &value, params);
        pri = static_cast<u32>(value);
      }
      if (status == kScriptSleep) {
        m.PRI = S(pri);
        m.ALT = S(alt);
        m.ResetSTK = S(resetStk);
        m.ResetHEA = S(resetHea);
        return kScriptSleep;
      }
      if (status != kScriptOk) FAIL(status);
    }
    NEXT;

    CASE(FILE)
    CASE(SYMBOL) {
      const u32 count = OPERAND();
      cip += 4;
      if (count > codeSize - cip) FAIL(kScriptErrMemory);
      cip += count;
    }
    NEXT;
    CASE(LINE) {
      m.CurLine = S(OPERAND());
      m.CurFile = S(Rd(code + cip + 4));
      cip += 8;
    }
    NEXT;
    CASE(SRANGE) { cip += 8; }
    NEXT;
    CASE(SYMTAG) { cip += 4; }
    NEXT;
    CASE(JUMP_PRI) {
      cip = pri;
      BRANCH();
    }
    NEXT;
    CASE(SWITCH) {
      const u32 table = OPERAND();
      if (table > codeSize || codeSize - table < 12) FAIL(kScriptErrMemory);
      const u64 cases = Rd(code + table + 4);
      if (12 + 8 * cases > codeSize - table) FAIL(kScriptErrMemory);
      cip = Rd(code + table + 8);
      for (u64 i = 0; i < cases; ++i) {
        if (Rd(code + table + 12 + 8 * i) == pri) {
          cip = Rd(code + table + 16 + 8 * i);
          break;
        }
      }
      BRANCH();
    }
    NEXT;
    CASE(SWAP_PRI) {
      CHECK(stk);
      const u32 t = Rd(mem + stk);
      Wr(mem + stk, pri);
      pri = t;
    }
    NEXT;
    CASE(SWAP_ALT) {
      CHECK(stk);
      const u32 t = Rd(mem + stk);
      Wr(mem + stk, alt);
      alt = t;
    }
    NEXT;
    CASE(PUSHADDR) {
      const u32 v = frm + OPERAND();
      cip += 4;
      PUSH(v);
    }
    NEXT;
    CASE(NOP) {}
    NEXT;
    default:
      FAIL(kScriptErrInstruction);
  }

suspend_budget:
  m.BranchBudgetSpent = true;
  m.FRM = S(frm);
  m.STK = S(stk);
  m.HEA = S(hea);
  m.PRI = S(pri);
  m.ALT = S(alt);
  m.CIP = S(cip);
  m.ResetSTK = S(resetStk);
  m.ResetHEA = S(resetHea);
  return kScriptSleep;

fail:
  m.STK = S(resetStk);
  m.HEA = S(resetHea);
  return rc;

#undef FAIL
#undef BAD_ADDR
#undef CHECK
#undef MARGIN
#undef PUSH
#undef POP
#undef OPERAND
#undef BRANCH
#undef CASE
#undef FETCH
#undef NEXT
}

int ScriptExec(TScriptMachine& machine, TCell* result, int index, std::initializer_list<TCell> args) {
  if (args.size() >= 65536) return kScriptErrParams;
  return ScriptExecArray(machine, result, index, static_cast<int>(args.size()), args.begin());
}

}  // namespace halvane
