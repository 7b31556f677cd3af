#pragma once
// A big table looked up through its index: the index is built once into the
// cache folder and rebuilt when the table's size or modification time
// changes, or when the index turns out damaged (at opening, or when a lookup
// meets a block that does not check); lookups search the mapped index and
// never load the table.
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
  // How much of an existing index opening checks: its head (always), or
  // every block too (reads the whole index: for a tool that checks it).
  enum class TCheck { Head, AllBlocks };

  // Opens (building when needed) the index of the table at tablePath in
  // cacheDir (created when missing). Throws TTableError when the table cannot
  // be read, is of the other kind or is broken (the message names the line),
  // or when the index cannot be written.
  static TTableIndex Open(const std::string& tablePath, const std::string& cacheDir, TTableKind kind,
                          TCheck check = TCheck::Head);

  TTableIndex(TTableIndex&&) noexcept;
  TTableIndex& operator=(TTableIndex&&) noexcept;
  ~TTableIndex();

  // The value stored for domain, compared without regard to ASCII case.
  // A lookup that meets a damaged block rebuilds the index from its table
  // first (other lookups wait); when that fails, the damaged part finds
  // nothing, the index file is removed so the next run builds it again, and
  // DamageReport says so. Safe to call from several threads at once.
  std::optional<std::uint32_t> Find(std::string_view domain) const;

  TTableKind Kind() const { return FKind; }
  std::uint64_t Count() const;          // distinct domains
  const std::string& IndexPath() const { return FIndexPath; }
  // Why Open built the index ("no index yet", "... changed since it was
  // indexed", "index ... is damaged (...)"); "" when it used the one it found.
  const std::string& BuildReason() const { return FBuildReason; }
  // True when a lookup met a block that does not check.
  bool Damaged() const;
  // True when the index could not be rebuilt after that: some lookups found
  // nothing because of it.
  bool FiguresLeftOut() const;
  // What a lookup's damage led to, for the run to report: "index ... was
  // damaged (a block does not check); rebuilt from TABLE", or why it could
  // not be rebuilt; "" when no lookup met damage.
  std::string DamageReport() const;

  // The index file a table gets in cacheDir (the table's path resolved).
  static std::string IndexPathFor(const std::string& resolvedTablePath, const std::string& cacheDir, TTableKind kind);

 private:
  struct TState;
  TTableIndex();
  std::shared_ptr<const TMappedIndex> CurrentMap() const;
  // Rebuilds the index after a lookup in damaged met damage (once).
  void Rebuild(const std::shared_ptr<const TMappedIndex>& damaged) const;

  std::unique_ptr<TState> FState;
  TTableKind FKind = TTableKind::Authority;
  std::string FTablePath;
  std::string FCacheDir;
  std::string FIndexPath;
  std::string FBuildReason;
};

}  // namespace halvane::tables
