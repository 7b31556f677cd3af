#pragma once
// Checking, expanding and attaching a script image.
#include <cstddef>
#include <cstdint>

#include "script/TScriptMachine.h"

namespace halvane {

// Checks the image in block (at least the header's stack top bytes long),
// expands its compact encoding, runs the relocation pass and attaches it to
// machine. Returns 0 or an error code; a failed relocation pass still
// returns 0 but leaves the machine without kScriptFlagInitialised. block
// stays the caller's and must outlive the machine's use.
int ScriptInit(TScriptMachine& machine, std::uint8_t* block, std::size_t blockSize);

// Expands a compact stream in place: the streamBytes bytes at region become
// the cells of the first outBytes bytes of region (outBytes a multiple of 4,
// region at least max(streamBytes, outBytes) long). Returns 0, or 17 when
// the stream holds more cells than fit or needs more than 64 pending cells.
int ScriptExpandCompact(std::uint8_t* region, std::size_t streamBytes, std::size_t outBytes);

int ScriptSetDebugHook(TScriptMachine& machine, TScriptDebugHook hook);

// The debug hook that declines debug mode: always 21.
int ScriptDebugDecline(TScriptMachine& machine);

}  // namespace halvane
