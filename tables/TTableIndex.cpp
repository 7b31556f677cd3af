#include "tables/TTableIndex.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "tables/IndexWriter.h"
#include "tables/TMappedIndex.h"
#include "tables/TSourceIdentity.h"
#include "tables/TTableError.h"
#include "tables/TTableReader.h"
#include "tables/TableSource.h"

namespace halvane::tables {

namespace {

// Removes what a build of indexPath that was killed half-way left behind:
// "<index>.tmp.<pid>.<n>" files whose process is gone (they can be as big as
// the index).
void RemoveAbandonedTemporaries(const std::string& indexPath) {
  const std::filesystem::path index(indexPath);
  const std::string prefix = index.filename().string() + ".tmp.";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(index.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

}  // namespace

TTableIndex::TTableIndex(TTableIndex&&) noexcept = default;
TTableIndex& TTableIndex::operator=(TTableIndex&&) noexcept = default;
TTableIndex::~TTableIndex() = default;

std::string TTableIndex::IndexPathFor(const std::string& resolvedTablePath, const std::string& cacheDir,
                                      TTableKind kind) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(resolvedTablePath)));
  return (std::filesystem::path(cacheDir) /
          ((kind == TTableKind::Tranco ? "tranco-" : "authority-") + std::string(hash) + ".idx"))
      .string();
}

TTableIndex TTableIndex::Open(const std::string& tablePath, const std::string& cacheDir, TTableKind kind) {
  const TSourceIdentity source = TSourceIdentity::Of(tablePath);
  TTableIndex index;
  index.FKind = kind;
  index.FIndexPath = IndexPathFor(source.Path, cacheDir, kind);
  std::string problem;
  index.FMap = TMappedIndex::Open(index.FIndexPath, source, kind, problem);
  if (index.FMap) return index;

  index.FBuildReason = problem;
  std::error_code error;
  std::filesystem::create_directories(cacheDir, error);
  if (error) throw TTableError("cannot create " + cacheDir + ": " + error.message());
  RemoveAbandonedTemporaries(index.FIndexPath);
  {
    TTableReader reader(tablePath, kind);
    ReadTableFile(tablePath, reader);
    reader.Entries().SortAndDedupe(kind);
    WriteIndex(index.FIndexPath, reader.Entries(), source, kind);
  }
  index.FMap = TMappedIndex::Open(index.FIndexPath, source, kind, problem);
  if (!index.FMap) {
    // The table changed while it was read, or someone else wrote the index.
    throw TTableError("the index just written does not serve: " + problem);
  }
  return index;
}

std::optional<std::uint32_t> TTableIndex::Find(std::string_view domain) const { return FMap->Find(domain); }

std::uint64_t TTableIndex::Count() const { return FMap->Count(); }

bool TTableIndex::Damaged() const { return FMap->Damaged(); }

}  // namespace halvane::tables
