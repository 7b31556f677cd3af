#pragma once
// A big table looked up through its index: the index is built once into the
// cache folder and rebuilt when the table's size or modification time
// changes, or when the index turns out damaged; lookups search the mapped
// index and never load the table.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tables/TTableKind.h"

namespace halvane::tables {

class TMappedIndex;

class TTableIndex {
 public:
  // Opens (building when needed) the index of the table at tablePath in
  // cacheDir (created when missing). Throws TTableError when the table cannot
  // be read, is of the other kind or is broken (the message names the line),
  // or when the index cannot be written.
  static TTableIndex Open(const std::string& tablePath, const std::string& cacheDir, TTableKind kind);

  TTableIndex(TTableIndex&&) noexcept;
  TTableIndex& operator=(TTableIndex&&) noexcept;
  ~TTableIndex();

  // The value stored for domain, compared without regard to ASCII case.
  // Safe to call from several threads at once.
  std::optional<std::uint32_t> Find(std::string_view domain) const;

  TTableKind Kind() const { return FKind; }
  std::uint64_t Count() const;          // distinct domains
  const std::string& IndexPath() const { return FIndexPath; }
  // Why Open built the index ("no index yet", "... changed since it was
  // indexed", "index ... is damaged (...)"); "" when it used the one it found.
  const std::string& BuildReason() const { return FBuildReason; }
  // True when a lookup met a record that does not check; such lookups find
  // nothing. Open again to rebuild.
  bool Damaged() const;

  // The index file a table gets in cacheDir (the table's path resolved).
  static std::string IndexPathFor(const std::string& resolvedTablePath, const std::string& cacheDir, TTableKind kind);

 private:
  TTableIndex() = default;

  std::unique_ptr<TMappedIndex> FMap;
  TTableKind FKind = TTableKind::Authority;
  std::string FIndexPath;
  std::string FBuildReason;
};

}  // namespace halvane::tables
