#pragma once
// The two kinds of big table: an authority table (either layout) and a
// Tranco list. The numbers are stored in index files; never renumber them.
#include <cstdint>
#include <string_view>

namespace halvane::tables {

enum class TTableKind : std::uint32_t { Authority = 1, Tranco = 2 };

inline std::string_view KindName(TTableKind kind) {
  return kind == TTableKind::Authority ? "authority table" : "Tranco list";
}

inline std::string_view KindWithArticle(TTableKind kind) {
  return kind == TTableKind::Authority ? "an authority table" : "a Tranco list";
}

}  // namespace halvane::tables
