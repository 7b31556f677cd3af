#pragma once
// A connection to a SQLite file: write-ahead log, foreign keys on, a busy
// time-out (a store another process holds is waited for), statements
// prepared once. The schema version is PRAGMA user_version.
#include <string>
#include <unordered_map>

#include "store/TSqlDatabase.h"

struct sqlite3;
struct sqlite3_stmt;

namespace halvane::store {

class TSqliteDatabase final : public TSqlDatabase {
 public:
  // Opens the file, creating it (mode 0600) and its folder when missing.
  TSqliteDatabase(std::string path, int busyTimeoutMs);
  ~TSqliteDatabase() override;
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  TSqlDialect Dialect() const override { return TSqlDialect::Sqlite; }
  const std::string& Location() const override { return FPath; }
  std::vector<TSqlRow> Query(const std::string& sql, std::span<const TSqlValue> params) override;
  void ExecuteScript(const std::string& sql) override;
  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void BeginMigration() override;
  int SchemaVersion() override;
  void SetSchemaVersion(int version) override;

 private:
  // PRAGMA journal_mode = WAL, waited for while another process holds the lock.
  std::vector<TSqlRow> SwitchToWriteAheadLog();
  void CreateFile() const;
  sqlite3_stmt* Statement(const std::string& sql);
  [[noreturn]] void Fail(const std::string& step, int code) const;

  std::string FPath;
  int FBusyTimeoutMs;
  sqlite3* FDb = nullptr;
  std::unordered_map<std::string, sqlite3_stmt*> FStatements;
};

}  // namespace halvane::store
