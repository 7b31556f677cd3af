#pragma once
// The state record of the script machine. Registers are data addresses or
// code offsets relative to the image's sections, never host addresses, so
// the record works unchanged on a 64-bit host; bound natives live in a side
// table indexed by native number.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace halvane {

using TCell = std::int32_t;
using TUCell = std::uint32_t;

struct TScriptMachine;

// A native: called with the script's stack at the call (params[0] is the
// byte count of the arguments, the arguments follow); reports failure through
// ScriptRaiseError. At least kNativeParamWindow cells are readable.
using NativeFunc = TCell (*)(TScriptMachine& machine, const TCell* params);
inline constexpr std::size_t kNativeParamWindow = 17;

// One row of a host native table; a row with a null name ends the table.
struct TNativeEntry {
  const char* Name;
  NativeFunc Func;
};

using TScriptCallback = int (*)(TScriptMachine& machine, int index, TCell* result,
                                const TCell* params);
using TScriptDebugHook = int (*)(TScriptMachine& machine);

inline constexpr TCell kScriptFlagDebug = 0x0002;
inline constexpr TCell kScriptFlagRelocating = 0x4000;
inline constexpr TCell kScriptFlagInitialised = 0x8000;

struct TScriptMachine {
  std::uint8_t* Base = nullptr;  // byte 0 of the loaded block
  std::uint8_t* Data = nullptr;  // always none: data lives at Base + data offset
  TScriptCallback Callback = nullptr;
  TScriptDebugHook Debug = nullptr;
  TCell CIP = 0;
  TCell FRM = 0;
  TCell HEA = 0;
  TCell HLW = 0;
  TCell STK = 0;
  TCell STP = 0;
  TCell Flags = 0;
  TCell CurLine = 0;
  TCell CurFile = 0;
  TCell DebugCode = 0;
  TCell DebugAddress = 0;
  TCell DebugParam = 0;
  const char* DebugName = nullptr;
  TCell Error = 0;
  TCell PRI = 0;
  TCell ALT = 0;
  TCell ResetSTK = 0;
  TCell ResetHEA = 0;
  TCell SysreqD = 0;  // opcode that replaces SYSREQ.C after its first call
  TCell UserTags[4] = {};
  TCell UserData[4] = {};
  TCell Reserved[2] = {};

  // Host side, set by ScriptInit.
  std::size_t BlockSize = 0;
  std::vector<NativeFunc> Natives;  // bound function by native number

  // Limit on control transfers (jumps, calls, returns) per run, for hostile
  // images; 0 means none. When it runs out the run is suspended with 12.
  std::uint64_t BranchBudget = 0;
  bool BranchBudgetSpent = false;  // the last run was suspended for it
};

}  // namespace halvane
