#include "script/ScriptNatives.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"

namespace halvane {
namespace {

std::atomic<std::uint32_t> gRandomState{0};

// Argument i (1-based) of a native call.
TCell Arg(const TCell* params, int i) { return params[i]; }

// Address arithmetic wraps like the machine's.
TCell Offset(TCell address, TUCell bytes) {
  return static_cast<TCell>(static_cast<TUCell>(address) + bytes);
}

// A cell the native reads through an address the script gave it; a bad
// address raises 5 and reads as 0.
TCell ReadOrRaise(TScriptMachine& m, TCell address) {
  TCell v = 0;
  if (!ScriptReadCell(m, address, v)) ScriptRaiseError(m, kScriptErrMemory);
  return v;
}

TCell NumArgs(TScriptMachine& m, const TCell*) {
  return static_cast<TCell>(static_cast<TUCell>(ReadOrRaise(m, Offset(m.FRM, 8))) / 4);
}

TCell ArgumentCellAddress(TScriptMachine& m, const TCell* params, bool& ok) {
  TCell reference = 0;
  ok = ScriptReadCell(m, Offset(m.FRM, 12 + 4 * static_cast<TUCell>(Arg(params, 1))), reference);
  return Offset(reference, 4 * static_cast<TUCell>(Arg(params, 2)));
}

TCell GetArg(TScriptMachine& m, const TCell* params) {
  bool ok = false;
  const TCell x = ArgumentCellAddress(m, params, ok);
  if (!ok) {
    ScriptRaiseError(m, kScriptErrMemory);
    return 0;
  }
  return ReadOrRaise(m, x);
}

TCell SetArg(TScriptMachine& m, const TCell* params) {
  bool ok = false;
  const TCell x = ArgumentCellAddress(m, params, ok);
  if (!ok || x < 0 || (x >= m.HEA && x < m.STK)) return 0;
  return ScriptWriteCell(m, x, Arg(params, 3)) ? 1 : 0;
}

TCell HeapSpace(TScriptMachine& m, const TCell*) {
  return static_cast<TCell>(static_cast<TUCell>(m.STK) - static_cast<TUCell>(m.HEA));
}

// The host reference and length of a string argument; raises 5 for a bad
// address.
bool StringArgument(TScriptMachine& m, TCell address, TScriptCells& cells, int& length) {
  if (ScriptGetAddr(m, address, cells) != kScriptOk) {
    ScriptRaiseError(m, kScriptErrMemory);
    return false;
  }
  ScriptStrLen(cells, length);
  return true;
}

TCell FuncIdx(TScriptMachine& m, const TCell* params) {
  TScriptCells cells;
  int length = 0;
  if (!StringArgument(m, Arg(params, 1), cells, length)) return 0;
  if (length >= 64) {
    ScriptRaiseError(m, kScriptErrNative);
    return 0;
  }
  std::string name;
  ScriptGetString(name, cells);
  int index = 0;
  return ScriptFindPublic(m, name, index) == kScriptOk ? index : -1;
}

TCell StrLen(TScriptMachine& m, const TCell* params) {
  TScriptCells cells;
  if (ScriptGetAddr(m, Arg(params, 1), cells) != kScriptOk) return 0;
  int length = 0;
  ScriptStrLen(cells, length);
  return length;
}

// The destination of strpack and strunpack: cells from address whose last
// byte must be a valid address too.
bool Destination(TScriptMachine& m, TCell address, std::size_t cells, TScriptCells& destination) {
  const std::int64_t last = std::int64_t{address} + 4 * static_cast<std::int64_t>(cells) - 1;
  TScriptCells probe;
  if (last > INT32_MAX || ScriptGetAddr(m, static_cast<TCell>(last), probe) != kScriptOk ||
      ScriptGetAddr(m, address, destination) != kScriptOk) {
    ScriptRaiseError(m, kScriptErrMemory);
    return false;
  }
  return true;
}

std::vector<TCell> CopyCells(TScriptCells source, std::size_t count) {
  std::vector<TCell> cells(count, 0);
  for (std::size_t i = 0; i < count && i < source.Count; ++i) cells[i] = source.Get(i);
  return cells;
}

TCell StrPack(TScriptMachine& m, const TCell* params) {
  TScriptCells source;
  int length = 0;
  if (!StringArgument(m, Arg(params, 2), source, length)) return 0;
  const std::size_t len = static_cast<std::size_t>(length);
  TScriptCells destination;
  if (!Destination(m, Arg(params, 1), len / 4 + 1, destination)) return 0;
  const bool packed = static_cast<TUCell>(source.Get(0)) > 0xFFFFFFu;
  // Read first: the destination may overlap the source.
  const std::vector<TCell> from = CopyCells(source, packed ? len / 4 + 1 : len);
  if (packed) {
    for (std::size_t i = 0; i < from.size(); ++i) destination.Set(i, from[i]);
    return length;
  }
  TUCell c = 0;
  std::size_t out = 0;
  for (std::size_t i = 0; i < len; ++i) {
    c = (c << 8) | static_cast<TUCell>(from[i]);
    if (i % 4 == 3) {
      destination.Set(out++, static_cast<TCell>(c));
      c = 0;
    }
  }
  if (len % 4 != 0) {
    destination.Set(out, static_cast<TCell>(c << (8 * (4 - len % 4))));
  } else {
    destination.Set(out, 0);
  }
  return length;
}

TCell StrUnpack(TScriptMachine& m, const TCell* params) {
  TScriptCells source;
  int length = 0;
  if (!StringArgument(m, Arg(params, 2), source, length)) return 0;
  const std::size_t len = static_cast<std::size_t>(length);
  TScriptCells destination;
  if (!Destination(m, Arg(params, 1), len + 1, destination)) return 0;
  const bool packed = static_cast<TUCell>(source.Get(0)) > 0xFFFFFFu;
  const std::vector<TCell> from = CopyCells(source, packed ? len / 4 + 1 : len + 1);
  if (!packed) {
    for (std::size_t i = 0; i < from.size(); ++i) destination.Set(i, from[i]);
    return length;
  }
  destination.Set(len, 0);
  for (std::size_t i = len; i-- > 0;) {
    destination.Set(i, static_cast<TCell>((static_cast<TUCell>(from[i / 4]) >> (8 * (3 - i % 4))) & 0xFF));
  }
  return length;
}

TCell SwapChars(TScriptMachine&, const TCell* params) {
  const TUCell c = static_cast<TUCell>(Arg(params, 1));
  return static_cast<TCell>((c >> 24) | ((c >> 8) & 0xFF00u) | ((c << 8) & 0xFF0000u) | (c << 24));
}

TCell ToLower(TScriptMachine&, const TCell* params) { return platform::AnsiCharLower(Arg(params, 1)); }
TCell ToUpper(TScriptMachine&, const TCell* params) { return platform::AnsiCharUpper(Arg(params, 1)); }

TCell Random(TScriptMachine&, const TCell* params) {
  std::uint32_t state = gRandomState.load(std::memory_order_relaxed);
  if (state == 0) {
    state = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    if (state == 0) state = 1;
  }
  const std::uint32_t lo = state & 0xFFFFu;
  const std::uint32_t hi = state >> 16;
  gRandomState.store(state * 1103515245u + 12345u, std::memory_order_relaxed);
  std::uint32_t r = ((lo * 20077u + 12345u) >> 16) + lo * 16838u + hi * 20077u + ((hi * 16838u) << 16);
  r &= 0x7FFFFFFFu;
  const std::uint32_t max = static_cast<std::uint32_t>(Arg(params, 1));
  if (max != 0) r %= max;
  return static_cast<TCell>(r);
}

TCell Min(TScriptMachine&, const TCell* params) {
  return Arg(params, 1) < Arg(params, 2) ? Arg(params, 1) : Arg(params, 2);
}

TCell Max(TScriptMachine&, const TCell* params) {
  return Arg(params, 1) > Arg(params, 2) ? Arg(params, 1) : Arg(params, 2);
}

TCell Clamp(TScriptMachine& m, const TCell* params) {
  const TCell value = Arg(params, 1);
  const TCell low = Arg(params, 2);
  const TCell high = Arg(params, 3);
  if (high < low) {
    ScriptRaiseError(m, kScriptErrNative);
    return 0;
  }
  return value < low ? low : (value > high ? high : value);
}

const TNativeEntry kCoreNatives[] = {
    {"numargs", NumArgs},   {"getarg", GetArg},     {"setarg", SetArg},
    {"heapspace", HeapSpace}, {"funcidx", FuncIdx}, {"strlen", StrLen},
    {"strpack", StrPack},   {"strunpack", StrUnpack}, {"swapchars", SwapChars},
    {"tolower", ToLower},   {"toupper", ToUpper},   {"random", Random},
    {"min", Min},           {"max", Max},           {"clamp", Clamp},
    {nullptr, nullptr},
};

}  // namespace

const TNativeEntry* ScriptCoreNatives() noexcept { return kCoreNatives; }

int ScriptCoreInit(TScriptMachine& machine) { return ScriptRegister(machine, kCoreNatives, -1); }

std::uint32_t ScriptRandomState() noexcept { return gRandomState.load(std::memory_order_relaxed); }

void ScriptSetRandomState(std::uint32_t state) noexcept {
  gRandomState.store(state, std::memory_order_relaxed);
}

}  // namespace halvane
