#pragma once
// A connection to a PostgreSQL server (libpq) named by a postgresql:// URL.
// Statements are prepared once per connection; the schema version is kept
// in the table halvane_schema, read and changed under an advisory lock so
// that processes opening the store at once migrate it once.
#include <string>
#include <unordered_map>

#include "store/TSqlDatabase.h"

struct pg_conn;
struct pg_result;

namespace halvane::store {

class TPgDatabase final : public TSqlDatabase {
 public:
  // Connects; throws TStoreError (never showing the password).
  explicit TPgDatabase(const std::string& url);
  ~TPgDatabase() override;
  TPgDatabase(const TPgDatabase&) = delete;
  TPgDatabase& operator=(const TPgDatabase&) = delete;

  TSqlDialect Dialect() const override { return TSqlDialect::Postgres; }
  const std::string& Location() const override { return FLocation; }
  std::vector<TSqlRow> Query(const std::string& sql, std::span<const TSqlValue> params) override;
  void ExecuteScript(const std::string& sql) override;
  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void BeginMigration() override;
  int SchemaVersion() override;
  void SetSchemaVersion(int version) override;

 private:
  // Takes the result; throws unless it succeeded.
  std::vector<TSqlRow> Rows(pg_result* result, const std::string& step);
  [[noreturn]] void Fail(const std::string& step, std::string message, const char* state) const;

  pg_conn* FConn = nullptr;
  std::string FLocation;
  std::string FPassword;  // scrubbed from every message
  std::unordered_map<std::string, std::string> FPrepared;  // statement -> its prepared name
};

}  // namespace halvane::store
