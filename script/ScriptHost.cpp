#include "script/ScriptHost.h"

#include <algorithm>

#include "script/ScriptErrors.h"
#include "script/ScriptImage.h"
#include "script/ScriptOpcodes.h"

namespace halvane {
namespace {

TScriptHeader Header(const TScriptMachine& m) { return ReadScriptHeader(m.Base); }

std::uint8_t* DataArea(const TScriptMachine& m) { return m.Base + ReadLe32(m.Base + hdr::Data); }

bool IsPacked(TScriptCells cells) { return static_cast<TUCell>(cells.Get(0)) > 0xFFFFFFu; }

std::uint8_t PackedChar(TScriptCells cells, std::size_t i) {
  return static_cast<std::uint8_t>(static_cast<TUCell>(cells.Get(i / 4)) >> (8 * (3 - i % 4)));
}

template <class Text>
int SetString(TScriptCells destination, Text source, bool packed) {
  const std::size_t n = source.size();
  const std::size_t needed = packed ? n / 4 + 1 : n + 1;
  if (!destination || destination.Count < needed) return kScriptErrParams;
  if (!packed) {
    for (std::size_t i = 0; i < n; ++i) {
      // Narrow characters widen with their sign, wide ones without.
      TCell c = sizeof(source[i]) == 1 ? static_cast<TCell>(static_cast<signed char>(source[i]))
                                       : static_cast<TCell>(static_cast<std::uint16_t>(source[i]));
      destination.Set(i, c);
    }
    destination.Set(n, 0);
    return kScriptOk;
  }
  for (std::size_t cell = 0; cell <= n / 4; ++cell) {
    TUCell v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      std::size_t i = 4 * cell + k;
      TUCell byte = i < n ? static_cast<TUCell>(static_cast<std::uint8_t>(source[i])) : 0u;
      v |= byte << (8 * (3 - k));
    }
    destination.Set(cell, static_cast<TCell>(v));
  }
  return kScriptOk;
}

}  // namespace

std::int32_t ScriptCodeOffset(const TScriptMachine& m) { return ReadLe32(m.Base + hdr::Code); }
std::int32_t ScriptDataOffset(const TScriptMachine& m) { return ReadLe32(m.Base + hdr::Data); }

int ScriptRegister(TScriptMachine& m, const TNativeEntry* table, int limit) {
  if (m.Base == nullptr) return kScriptErrInit;
  const TScriptHeader h = Header(m);
  const int count = ScriptTableCount(h, h.Natives, h.Libraries);
  int rc = kScriptOk;
  for (int i = 0; i < count; ++i) {
    std::uint8_t* record = m.Base + h.Natives + static_cast<std::size_t>(i) * h.RecordSize;
    if (ReadLe32(record) != 0) continue;
    bool bound = false;
    if (table != nullptr) {
      const std::string_view name = ScriptRecordName(m.Base, m.BlockSize, h, record - m.Base);
      for (int row = 0; table[row].Name != nullptr && (limit == -1 || row < limit); ++row) {
        if (name == table[row].Name) {
          m.Natives[static_cast<std::size_t>(i)] = table[row].Func;
          WriteLe32(record, i + 1);  // any non-zero value marks the entry bound
          bound = true;
          break;
        }
      }
    }
    if (!bound) rc = kScriptErrNotFound;
  }
  return rc;
}

int ScriptNumPublics(const TScriptMachine& m) {
  if (m.Base == nullptr) return 0;
  const TScriptHeader h = Header(m);
  return ScriptTableCount(h, h.Publics, h.Natives);
}

int ScriptNumNatives(const TScriptMachine& m) {
  if (m.Base == nullptr) return 0;
  const TScriptHeader h = Header(m);
  return ScriptTableCount(h, h.Natives, h.Libraries);
}

int ScriptGetPublic(const TScriptMachine& m, int index, std::string& name) {
  if (index < 0 || index >= ScriptNumPublics(m)) return kScriptErrIndex;
  const TScriptHeader h = Header(m);
  name = ScriptRecordName(m.Base, m.BlockSize, h,
                          static_cast<std::size_t>(h.Publics) + static_cast<std::size_t>(index) * h.RecordSize);
  return kScriptOk;
}

int ScriptGetNative(const TScriptMachine& m, int index, std::string& name) {
  if (index < 0 || index >= ScriptNumNatives(m)) return kScriptErrIndex;
  const TScriptHeader h = Header(m);
  name = ScriptRecordName(m.Base, m.BlockSize, h,
                          static_cast<std::size_t>(h.Natives) + static_cast<std::size_t>(index) * h.RecordSize);
  return kScriptOk;
}

int ScriptFindPublic(const TScriptMachine& m, std::string_view name, int& index) {
  // A stored name has at most 31 bytes, so a longer wanted name is never
  // found: it is compared whole, never cut to a stored name's length.
  int low = 0;
  int high = ScriptNumPublics(m) - 1;
  const TScriptHeader h = m.Base != nullptr ? Header(m) : TScriptHeader{};
  while (low <= high) {
    const int mid = low + (high - low) / 2;
    const std::string_view entry = ScriptRecordName(
        m.Base, m.BlockSize, h, static_cast<std::size_t>(h.Publics) + static_cast<std::size_t>(mid) * h.RecordSize);
    const int order = entry.compare(name);  // unsigned byte order
    if (order > 0) {
      high = mid - 1;
    } else if (order < 0) {
      low = mid + 1;
    } else {
      index = mid;
      return kScriptOk;
    }
  }
  index = 2147483647;
  return kScriptErrNotFound;
}

int ScriptAllot(TScriptMachine& m, int cells, TCell& address, TScriptCells& reference) {
  const std::int64_t room = std::int64_t{m.STK} - m.HEA - 4 * std::int64_t{cells};
  if (m.Base == nullptr || cells < 0 || room < 64 || m.HEA < 0) return kScriptErrMemoryHeap;
  address = m.HEA;
  reference = {DataArea(m) + m.HEA, static_cast<std::size_t>(cells)};
  m.HEA += 4 * cells;
  return kScriptOk;
}

int ScriptRelease(TScriptMachine& m, TCell address) {
  if (address < m.HEA) m.HEA = address;
  return kScriptOk;
}

int ScriptGetAddr(const TScriptMachine& m, TCell a, TScriptCells& reference) {
  if (m.Base == nullptr || (a >= m.HEA && a < m.STK) || a < 0 || a >= m.STP) {
    reference = {};
    return kScriptErrMemory;
  }
  reference = {DataArea(m) + a, static_cast<std::size_t>(m.STP + 4 - a) / 4};
  return kScriptOk;
}

bool ScriptReadCell(const TScriptMachine& m, TCell a, TCell& value) {
  TScriptCells ref;
  if (ScriptGetAddr(m, a, ref) != kScriptOk) return false;
  value = ref.Get(0);
  return true;
}

bool ScriptWriteCell(TScriptMachine& m, TCell a, TCell value) {
  TScriptCells ref;
  if (ScriptGetAddr(m, a, ref) != kScriptOk) return false;
  ref.Set(0, value);
  return true;
}

int ScriptStrLen(TScriptCells cells, int& length) {
  length = 0;
  if (!cells || cells.Count == 0) return kScriptErrParams;
  std::size_t n = 0;
  if (IsPacked(cells)) {
    while (n < 4 * cells.Count && PackedChar(cells, n) != 0) ++n;
  } else {
    while (n < cells.Count && cells.Get(n) != 0) ++n;
  }
  length = static_cast<int>(n);
  return kScriptOk;
}

int ScriptSetString(TScriptCells destination, std::string_view source, bool packed) {
  return SetString(destination, source, packed);
}

int ScriptSetString(TScriptCells destination, std::u16string_view source, bool packed) {
  return SetString(destination, source, packed);
}

int ScriptGetString(std::string& destination, TScriptCells source) {
  destination.clear();
  if (!source || source.Count == 0) return kScriptOk;
  if (IsPacked(source)) {
    for (std::size_t i = 0; i < 4 * source.Count && PackedChar(source, i) != 0; ++i) {
      destination.push_back(static_cast<char>(PackedChar(source, i)));
    }
  } else {
    for (std::size_t i = 0; i < source.Count && source.Get(i) != 0; ++i) {
      destination.push_back(static_cast<char>(source.Get(i) & 0xFF));
    }
  }
  return kScriptOk;
}

int ScriptRaiseError(TScriptMachine& m, int code) {
  m.Error = code;
  return kScriptOk;
}

int ScriptNativeDispatch(TScriptMachine& m, int index, TCell* result, const TCell* params) {
  if (index < 0 || static_cast<std::size_t>(index) >= m.Natives.size()) return kScriptErrIndex;
  const NativeFunc f = m.Natives[static_cast<std::size_t>(index)];
  if (f == nullptr) return kScriptErrNotFound;
  if (m.SysreqD != 0) {
    const std::int64_t codeSize = std::int64_t{ScriptDataOffset(m)} - ScriptCodeOffset(m);
    const std::int64_t cip = m.CIP;
    if (cip >= 8 && cip <= codeSize) {
      std::uint8_t* code = m.Base + ScriptCodeOffset(m);
      if (static_cast<TUCell>(ReadLe32(code + cip - 4)) != OP_SYSREQ_PRI) {
        WriteLe32(code + cip - 8, m.SysreqD);
        WriteLe32(code + cip - 4, index);
      }
    }
  }
  m.Error = kScriptOk;
  const TCell value = f(m, params);
  if (result != nullptr) *result = value;
  return m.Error;
}

}  // namespace halvane
