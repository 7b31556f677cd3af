#pragma once
// Where a table's text comes from: a CSV file, or a zip archive holding one
// CSV file (Tranco's top-1m.csv.zip), read with libzip and fed to a
// TTableReader piece by piece, so that even the biggest table is never held
// in memory whole.
#include <cstdint>
#include <string>
#include <string_view>

#include "tables/TTableKind.h"
#include "tables/TTableReader.h"

namespace halvane::tables {

// What a zip may unpack to at most: a bound on time against zip bombs (a
// full Tranco list unpacks to about 100 MB).
inline constexpr std::uint64_t kMaxUnpacked = 4ull << 30;

// Feeds the table at path (CSV or zip, told by its first bytes) to reader
// and finishes it. Throws TTableError naming path.
void ReadTableFile(const std::string& path, TTableReader& reader);
// The same for a table held in memory; name is used in messages.
void ReadTableBytes(std::string_view bytes, const std::string& name, TTableReader& reader,
                    std::uint64_t maxUnpacked = kMaxUnpacked);

// The kind of table at path (CSV, or the one file of a zip): a Tranco list
// when its first line starts with a number, else an authority table.
// Throws TTableError.
TTableKind DetectTableKind(const std::string& path);

}  // namespace halvane::tables
