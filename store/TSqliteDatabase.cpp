#include "store/TSqliteDatabase.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <filesystem>

#include "store/TStoreError.h"

namespace halvane::store {

namespace {

// What the user can do about a failure, by SQLite's primary result code.
std::string Hint(int code, int busyTimeoutMs) {
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return " (another process held the store for more than " + std::to_string(busyTimeoutMs / 1000) +
             " s; let it finish, or close it, and try again)";
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return " (check that the file and its folder exist and are writable, or choose another file with --db)";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return " (the file is not a Halvane store or is damaged; move it aside and a new store is made)";
    case SQLITE_FULL:
      return " (the disk is full; make room and try again)";
    case SQLITE_IOERR:
      return " (the disk could not be read or written)";
    default:
      return "";
  }
}

}  // namespace

TSqliteDatabase::TSqliteDatabase(std::string path, int busyTimeoutMs)
    : FPath(std::move(path)), FBusyTimeoutMs(busyTimeoutMs) {
  CreateFile();
  const int opened = sqlite3_open_v2(FPath.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (opened != SQLITE_OK) {
    const std::string message = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(opened);
    sqlite3_close(FDb);
    FDb = nullptr;
    throw TStoreError("store " + FPath + ": cannot open: " + message + Hint(opened, FBusyTimeoutMs));
  }
  sqlite3_extended_result_codes(FDb, 1);
  sqlite3_busy_timeout(FDb, FBusyTimeoutMs);
  try {
    const auto mode = SwitchToWriteAheadLog();
    if (mode.empty() || mode[0].empty() || mode[0][0] != TSqlValue{std::string("wal")}) {
      throw TStoreError("store " + FPath + ": cannot switch to the write-ahead log (is the folder on a network file system?)");
    }
    // NORMAL: with the log, a commit survives the process being killed (a
    // power cut may lose the last ones). The cache and the mapping keep a
    // big store's address index in memory instead of reading it piece by
    // piece; checkpoints (two syncs each) come every 64 MiB of log, not 4.
    ExecuteScript(
        "PRAGMA foreign_keys = ON; PRAGMA synchronous = NORMAL; PRAGMA cache_size = -32768; "
        "PRAGMA mmap_size = 1073741824; PRAGMA wal_autocheckpoint = 16384; PRAGMA journal_size_limit = 67108864");
  } catch (...) {
    for (auto& [sql, statement] : FStatements) sqlite3_finalize(statement);
    sqlite3_close(FDb);
    throw;
  }
}

TSqliteDatabase::~TSqliteDatabase() {
  for (auto& [sql, statement] : FStatements) sqlite3_finalize(statement);
  sqlite3_close(FDb);
}

// The folder and an empty file, so that the file (and SQLite's -wal and -shm
// files, which take its mode) are readable by their owner only.
void TSqliteDatabase::CreateFile() const {
  const std::filesystem::path path(FPath);
  std::error_code error;
  if (path.has_parent_path() && !std::filesystem::exists(path.parent_path(), error)) {
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
      throw TStoreError("store " + FPath + ": cannot create its folder: " + error.message() +
                        " (create it, or choose another file with --db)");
    }
    std::filesystem::permissions(path.parent_path(), std::filesystem::perms::owner_all, error);
  }
  const int fd = ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
  } else if (errno != EEXIST) {
    throw TStoreError("store " + FPath + ": cannot create: " + std::strerror(errno) +
                      " (check that its folder is writable, or choose another file with --db)");
  }
}

sqlite3_stmt* TSqliteDatabase::Statement(const std::string& sql) {
  const auto found = FStatements.find(sql);
  if (found != FStatements.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  const int code = sqlite3_prepare_v3(FDb, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &statement, nullptr);
  if (code != SQLITE_OK) Fail("cannot prepare \"" + sql + "\"", code);
  FStatements.emplace(sql, statement);
  return statement;
}

std::vector<TSqlRow> TSqliteDatabase::Query(const std::string& sql, std::span<const TSqlValue> params) {
  sqlite3_stmt* statement = Statement(sql);
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  for (std::size_t i = 0; i < params.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    if (const auto* number = std::get_if<std::int64_t>(&params[i])) {
      sqlite3_bind_int64(statement, index, *number);
    } else if (const auto* text = std::get_if<std::string>(&params[i])) {
      sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
    }
  }
  std::vector<TSqlRow> rows;
  for (;;) {
    const int code = sqlite3_step(statement);
    if (code == SQLITE_DONE) break;
    if (code != SQLITE_ROW) {
      sqlite3_reset(statement);
      Fail("cannot run \"" + sql + "\"", code);
    }
    TSqlRow& row = rows.emplace_back();
    const int columns = sqlite3_column_count(statement);
    row.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      switch (sqlite3_column_type(statement, c)) {
        case SQLITE_NULL:
          row.emplace_back();
          break;
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, c)));
          break;
        default: {
          const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
          row.emplace_back(std::string(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, c))));
        }
      }
    }
  }
  sqlite3_reset(statement);
  return rows;
}

void TSqliteDatabase::ExecuteScript(const std::string& sql) {
  const int code = sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail("cannot run \"" + sql.substr(0, 80) + "\"", code);
}

// IMMEDIATE: the write lock is taken (or waited for) at once, so a
// transaction never fails half-way because another writer came first.
void TSqliteDatabase::Begin() { Query("BEGIN IMMEDIATE", {}); }
void TSqliteDatabase::Commit() { Query("COMMIT", {}); }
void TSqliteDatabase::Rollback() noexcept { sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr); }
void TSqliteDatabase::BeginMigration() { Begin(); }

int TSqliteDatabase::SchemaVersion() {
  const auto rows = Query("PRAGMA user_version", {});
  return static_cast<int>(std::get<std::int64_t>(rows.at(0).at(0)));
}

void TSqliteDatabase::SetSchemaVersion(int version) {
  ExecuteScript("PRAGMA user_version = " + std::to_string(version));
}

std::vector<TSqlRow> TSqliteDatabase::SwitchToWriteAheadLog() {
  // Two processes opening a new store at once: the switch needs a lock that
  // SQLite's busy handler does not wait for, so it is asked again here,
  // within the same busy time, instead of failing at once.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FBusyTimeoutMs);
  for (;;) {
    try {
      return Query("PRAGMA journal_mode = WAL", {});
    } catch (const TStoreError&) {
      const int code = sqlite3_extended_errcode(FDb) & 0xff;
      if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || std::chrono::steady_clock::now() >= deadline) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

void TSqliteDatabase::Fail(const std::string& step, int code) const {
  throw TStoreError("store " + FPath + ": " + step + ": " + sqlite3_errmsg(FDb) + Hint(code, FBusyTimeoutMs));
}

}  // namespace halvane::store
