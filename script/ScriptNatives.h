#pragma once
// The core natives every loaded image can call.
#include <cstdint>

#include "script/TScriptMachine.h"

namespace halvane {

// The core native table: numargs, getarg, setarg, heapspace, funcidx,
// strlen, strpack, strunpack, swapchars, tolower, toupper, random, min, max,
// clamp; ended by a row without a name.
const TNativeEntry* ScriptCoreNatives() noexcept;

// Binds the machine's natives to the core table: 0, or 19 when one of them
// is not a core native.
int ScriptCoreInit(TScriptMachine& machine);

// The state of the generator behind "random", shared by all machines; a
// state of 0 is seeded from the clock at the next call.
std::uint32_t ScriptRandomState() noexcept;
void ScriptSetRandomState(std::uint32_t state) noexcept;

}  // namespace halvane
