#pragma once
// Writes the index of a sorted, de-duplicated entry list (IndexFormat.h):
// into a temporary file beside path, renamed over path when complete, so a
// reader sees the old index or the whole new one.
#include <string>

#include "tables/TEntryList.h"
#include "tables/TSourceIdentity.h"
#include "tables/TTableKind.h"

namespace halvane::tables {

// Throws TTableError naming path.
void WriteIndex(const std::string& path, const TEntryList& entries, const TSourceIdentity& source, TTableKind kind);

}  // namespace halvane::tables
