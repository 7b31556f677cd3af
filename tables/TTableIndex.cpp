#include "tables/TTableIndex.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
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

// Builds the index of the table at tablePath (source: its identity) and
// opens it. Throws TTableError.
std::unique_ptr<TMappedIndex> BuildIndex(const std::string& tablePath, const TSourceIdentity& source,
                                         const std::string& cacheDir, const std::string& indexPath, TTableKind kind) {
  std::error_code error;
  std::filesystem::create_directories(cacheDir, error);
  if (error) throw TTableError("cannot create " + cacheDir + ": " + error.message());
  RemoveAbandonedTemporaries(indexPath);
  {
    TTableReader reader(tablePath, kind);
    ReadTableFile(tablePath, reader);
    reader.Entries().SortAndDedupe(kind);
    WriteIndex(indexPath, reader.Entries(), source, kind);
  }
  std::string problem;
  std::unique_ptr<TMappedIndex> map = TMappedIndex::Open(indexPath, source, kind, problem);
  // The table changed while it was read, or someone else wrote the index.
  if (!map) throw TTableError("the index just written does not serve: " + problem);
  return map;
}

}  // namespace

struct TTableIndex::TState {
  std::mutex MapMutex;  // guards the fields below
  std::shared_ptr<const TMappedIndex> Map;
  bool Damaged = false;
  bool RebuildFailed = false;
  std::string Report;
  std::mutex RebuildMutex;  // one rebuild at a time
};

TTableIndex::TTableIndex() : FState(std::make_unique<TState>()) {}
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

TTableIndex TTableIndex::Open(const std::string& tablePath, const std::string& cacheDir, TTableKind kind,
                              TCheck check) {
  const TSourceIdentity source = TSourceIdentity::Of(tablePath);
  TTableIndex index;
  index.FKind = kind;
  index.FTablePath = tablePath;
  index.FCacheDir = cacheDir;
  index.FIndexPath = IndexPathFor(source.Path, cacheDir, kind);
  std::string problem;
  std::unique_ptr<TMappedIndex> map = TMappedIndex::Open(index.FIndexPath, source, kind, problem);
  if (map && check == TCheck::AllBlocks) {
    if (const auto block = map->FirstDamagedBlock()) {
      problem = "index " + index.FIndexPath + " is damaged (block " + std::to_string(*block) + " does not check)";
      map.reset();
    }
  }
  if (!map) {
    index.FBuildReason = problem;
    map = BuildIndex(tablePath, source, cacheDir, index.FIndexPath, kind);
  }
  index.FState->Map = std::move(map);
  return index;
}

std::shared_ptr<const TMappedIndex> TTableIndex::CurrentMap() const {
  const std::lock_guard lock(FState->MapMutex);
  return FState->Map;
}

std::optional<std::uint32_t> TTableIndex::Find(std::string_view domain) const {
  const std::shared_ptr<const TMappedIndex> map = CurrentMap();
  bool damaged = false;
  const std::optional<std::uint32_t> value = map->Find(domain, &damaged);
  if (!damaged) return value;
  Rebuild(map);
  return CurrentMap()->Find(domain);
}

void TTableIndex::Rebuild(const std::shared_ptr<const TMappedIndex>& damaged) const {
  const std::lock_guard rebuild(FState->RebuildMutex);
  {
    const std::lock_guard lock(FState->MapMutex);
    FState->Damaged = true;
    // Another lookup rebuilt it already, or found that it cannot be.
    if (FState->Map != damaged || FState->RebuildFailed) return;
  }
  std::shared_ptr<const TMappedIndex> rebuilt;
  std::string report;
  try {
    rebuilt = BuildIndex(FTablePath, TSourceIdentity::Of(FTablePath), FCacheDir, FIndexPath, FKind);
    report = "index " + FIndexPath + " was damaged (a block did not check); rebuilt it from " + FTablePath;
  } catch (const TTableError& error) {
    // Gone, so that the next run builds it again instead of trusting its head.
    if (damaged->IsFileAt(FIndexPath)) std::remove(FIndexPath.c_str());
    report = "index " + FIndexPath + " is damaged (a block does not check) and cannot be rebuilt: " + error.what() +
             "; the figures in its damaged part are left out. Run again to rebuild it once " + FTablePath +
             " can be read";
  }
  const std::lock_guard lock(FState->MapMutex);
  FState->Report = report;
  if (rebuilt) {
    FState->Map = std::move(rebuilt);
  } else {
    FState->RebuildFailed = true;
  }
}

std::uint64_t TTableIndex::Count() const { return CurrentMap()->Count(); }

bool TTableIndex::Damaged() const {
  const std::lock_guard lock(FState->MapMutex);
  return FState->Damaged;
}

bool TTableIndex::FiguresLeftOut() const {
  const std::lock_guard lock(FState->MapMutex);
  return FState->RebuildFailed;
}

std::string TTableIndex::DamageReport() const {
  const std::lock_guard lock(FState->MapMutex);
  return FState->Report;
}

}  // namespace halvane::tables
