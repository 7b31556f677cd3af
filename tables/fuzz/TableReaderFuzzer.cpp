// Arbitrary bytes as a table: CSV in any layout, or a zip archive. The first
// byte picks the kind asked for. A table that reads must give sorted,
// distinct domains.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tables/TTableError.h"
#include "tables/TTableReader.h"
#include "tables/TableSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane::tables;
  if (size == 0) return 0;
  const TTableKind kind = data[0] & 1 ? TTableKind::Tranco : TTableKind::Authority;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  TTableReader reader("fuzz.csv", kind);
  try {
    ReadTableBytes(bytes, "fuzz.csv", reader, 8u << 20);
  } catch (const TTableError&) {
    return 0;
  }
  TEntryList& entries = reader.Entries();
  entries.SortAndDedupe(kind);
  for (std::size_t i = 1; i < entries.Size(); ++i) {
    if (!(entries.Domain(entries.At(i - 1)) < entries.Domain(entries.At(i)))) std::abort();
  }
  return 0;
}
