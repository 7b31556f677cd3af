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
// The biggest table file read (a CSV unpacked, or a zip): Open PageRank's
// 10 million lines take about 600 MB; the line bounds stop a table long
// before this.
inline constexpr std::uint64_t kMaxTableFile = 16ull << 30;
// A table of domains packs to a fifth or so; a file that unpacks to more
// than this many times its packed size is a bomb, not a table (a 1 MB zip
// holding one line 49 million times unpacks to 1.8 GB). Small files may
// pack better, so up to kSmallUnpacked is always allowed.
inline constexpr std::uint64_t kMaxUnpackRatio = 50;
inline constexpr std::uint64_t kSmallUnpacked = 16ull << 20;

// Feeds the table at path (CSV or zip, told by its first bytes) to reader
// and finishes it. Throws TTableError naming path, also when path is no
// regular file (a FIFO, a device, a folder).
void ReadTableFile(const std::string& path, TTableReader& reader);
// The same for a table held in memory; name is used in messages.
void ReadTableBytes(std::string_view bytes, const std::string& name, TTableReader& reader,
                    std::uint64_t maxUnpacked = kMaxUnpacked);

// The kind of table at path (CSV, or the one file of a zip): a Tranco list
// when its first line starts with a number, else an authority table.
// Throws TTableError.
TTableKind DetectTableKind(const std::string& path);

}  // namespace halvane::tables
