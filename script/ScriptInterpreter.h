#pragma once
// Running a public function, the main entry, or a suspended run.
#include <initializer_list>

#include "script/TScriptMachine.h"

namespace halvane {

// Runs entry index (a public, kScriptExecMain, or kScriptExecCont to continue
// a run suspended with 12) with n argument cells. Returns 0, the operand of
// the HALT that ended the run, or an error code; result receives PRI at HALT
// and is written by HALT only.
int ScriptExecArray(TScriptMachine& machine, TCell* result, int index, int n, const TCell* args);

// The same with the arguments listed one by one (fewer than 65536).
int ScriptExec(TScriptMachine& machine, TCell* result, int index, std::initializer_list<TCell> args);

}  // namespace halvane
