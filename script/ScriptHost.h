#pragma once
// Host-side operations on a loaded machine: binding natives, finding
// publics, heap allotments, strings in script memory, native dispatch.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "script/TScriptMachine.h"

namespace halvane {

// A host reference into script memory: the cells from a data address up to
// the end of the machine's memory. Cells are read and written bytewise, so a
// reference needs no alignment.
struct TScriptCells {
  std::uint8_t* Bytes = nullptr;
  std::size_t Count = 0;  // cells available

  explicit operator bool() const noexcept { return Bytes != nullptr; }
  TCell Get(std::size_t i) const noexcept {
    TCell v;
    std::memcpy(&v, Bytes + 4 * i, 4);
    return v;
  }
  void Set(std::size_t i, TCell v) const noexcept { std::memcpy(Bytes + 4 * i, &v, 4); }
};

// Binds every unbound natives-table entry to the first row of table (rows
// below limit, or all with limit -1) of the same name. 19 when an entry
// stays unbound; with no table, only that test.
int ScriptRegister(TScriptMachine& machine, const TNativeEntry* table, int limit);

int ScriptNumPublics(const TScriptMachine& machine);
int ScriptGetPublic(const TScriptMachine& machine, int index, std::string& name);
int ScriptNumNatives(const TScriptMachine& machine);
int ScriptGetNative(const TScriptMachine& machine, int index, std::string& name);

// Binary search of the sorted publics; 19 with index 2147483647 when absent.
int ScriptFindPublic(const TScriptMachine& machine, std::string_view name, int& index);

// Reserves cells on the heap (keeping 64 bytes to the stack): 0 or 16.
int ScriptAllot(TScriptMachine& machine, int cells, TCell& address, TScriptCells& reference);
// Lowers HEA to address when address is below it.
int ScriptRelease(TScriptMachine& machine, TCell address);

// The host reference of a data address: 0, or 5 with an empty reference.
int ScriptGetAddr(const TScriptMachine& machine, TCell address, TScriptCells& reference);

// Length of an unpacked or packed string; 25 with length 0 for no cells.
// A string that is not terminated inside its reference ends there.
int ScriptStrLen(TScriptCells cells, int& length);

// Stores source as an unpacked or packed string; 25 (nothing written) when
// the destination has too few cells.
int ScriptSetString(TScriptCells destination, std::string_view source, bool packed);
int ScriptSetString(TScriptCells destination, std::u16string_view source, bool packed);

// Reads an unpacked or packed string as 8-bit text.
int ScriptGetString(std::string& destination, TScriptCells source);

int ScriptRaiseError(TScriptMachine& machine, int code);

// The default native-dispatch hook: calls native index and rewrites the
// SYSREQ.C that called it into SYSREQ.D.
int ScriptNativeDispatch(TScriptMachine& machine, int index, TCell* result, const TCell* params);

// Reads and writes one cell of script memory at a data address, with the
// guarded-access test of the interpreter; false when the address fails it.
bool ScriptReadCell(const TScriptMachine& machine, TCell address, TCell& value);
bool ScriptWriteCell(TScriptMachine& machine, TCell address, TCell value);

// The header fields the host needs after ScriptInit.
std::int32_t ScriptCodeOffset(const TScriptMachine& machine);
std::int32_t ScriptDataOffset(const TScriptMachine& machine);

}  // namespace halvane
