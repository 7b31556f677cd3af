// Lists arbitrary bytes as a script image, loads them and runs every public
// with a few arguments and a bounded number of control transfers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "script/ScriptDisassembler.h"
#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptImage.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptLoader.h"
#include "script/ScriptNatives.h"

namespace {

constexpr std::int32_t kMaxMemory = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane;
  std::vector<std::uint8_t> block(data, data + size);
  if (size >= kScriptHeaderSize && ReadScriptHeader(data).Heap <= kMaxMemory) DisassembleScript(block);
  if (size >= kScriptHeaderSize) {
    const TScriptHeader h = ReadScriptHeader(data);
    if (h.StackTop > kMaxMemory) return 0;
    if (h.StackTop > 0 && static_cast<std::size_t>(h.StackTop) > size) block.resize(static_cast<std::size_t>(h.StackTop), 0);
  }
  TScriptMachine machine;
  ScriptSetDebugHook(machine, ScriptDebugDecline);
  if (ScriptInit(machine, block.data(), block.size()) != kScriptOk) return 0;
  ScriptCoreInit(machine);
  machine.BranchBudget = 20000;
  const int publics = ScriptNumPublics(machine);
  for (int i = 0; i < publics && i < 8; ++i) {
    TCell text = 0;
    TScriptCells cells;
    if (ScriptAllot(machine, 4, text, cells) == kScriptOk) ScriptSetString(cells, "abc", false);
    TCell result = 0;
    int rc = ScriptExec(machine, &result, i, {text, 7, -1});
    for (int resumed = 0; rc == kScriptSleep && resumed < 3; ++resumed) {
      rc = ScriptExec(machine, &result, kScriptExecCont, {});
    }
    ScriptRelease(machine, text);
  }
  TCell result = 0;
  ScriptExec(machine, &result, kScriptExecMain, {});
  return 0;
}
