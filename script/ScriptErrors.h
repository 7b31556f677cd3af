#pragma once
// Result codes of the script machine; 0 is success. HALT returns its own
// operand, so any other value can come back from a run as well.

namespace halvane {

inline constexpr int kScriptOk = 0;
inline constexpr int kScriptErrStackHeap = 3;      // fewer than 64 bytes between HEA and STK
inline constexpr int kScriptErrBounds = 4;         // BOUNDS failed
inline constexpr int kScriptErrMemory = 5;         // invalid memory access
inline constexpr int kScriptErrInstruction = 6;    // invalid instruction
inline constexpr int kScriptErrStackLow = 7;       // STK above STP
inline constexpr int kScriptErrHeapLow = 8;        // HEA below HLW
inline constexpr int kScriptErrCallback = 9;       // no native-dispatch hook
inline constexpr int kScriptErrNative = 10;        // a native failed
inline constexpr int kScriptErrDivide = 11;        // division by zero
inline constexpr int kScriptSleep = 12;            // suspended; continue with index -2
inline constexpr int kScriptErrMemoryHeap = 16;    // no heap left for an allotment
inline constexpr int kScriptErrFormat = 17;        // invalid image
inline constexpr int kScriptErrVersion = 18;       // unsupported image version
inline constexpr int kScriptErrNotFound = 19;      // public or native not found
inline constexpr int kScriptErrIndex = 20;         // invalid index or entry point
inline constexpr int kScriptErrDebug = 21;         // debugger cannot run
inline constexpr int kScriptErrInit = 22;          // not initialised, or twice
inline constexpr int kScriptErrParams = 25;        // invalid parameter

// Entry indexes besides the publics.
inline constexpr int kScriptExecMain = -1;
inline constexpr int kScriptExecCont = -2;

}  // namespace halvane
