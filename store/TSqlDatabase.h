#pragma once
// One connection to a SQL database, as the store uses it: the one place
// where SQLite and PostgreSQL differ. The store's statements are written once,
// with ?1, ?2 ... for their parameters, and run on either.
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace halvane::store {

using TSqlValue = std::variant<std::monostate, std::int64_t, std::string>;  // monostate: NULL
using TSqlRow = std::vector<TSqlValue>;

enum class TSqlDialect { Sqlite, Postgres };

class TSqlDatabase {
 public:
  virtual ~TSqlDatabase() = default;

  virtual TSqlDialect Dialect() const = 0;
  // The file, or the URL without its password.
  virtual const std::string& Location() const = 0;

  // One statement, prepared on first use and kept for the connection's life.
  virtual std::vector<TSqlRow> Query(const std::string& sql, std::span<const TSqlValue> params) = 0;
  // Statements without parameters, separated by ';' (the schema).
  virtual void ExecuteScript(const std::string& sql) = 0;

  // A write transaction; writers wait here for each other.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() noexcept = 0;

  // Migrations: BeginMigration opens a transaction that no other connection
  // migrates beside; the version is read and set inside it; Commit ends it.
  virtual void BeginMigration() = 0;
  virtual int SchemaVersion() = 0;
  virtual void SetSchemaVersion(int version) = 0;
};

}  // namespace halvane::store
