#include "tests/store/StoreBackends.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <stdexcept>

#include "tests/store/TPgServer.h"

namespace halvane::store::test {

std::string TSqliteBackend::NewStore() {
  FFolder = std::make_unique<TScratchFolder>();
  return FFolder->Path() + "/data/halvane.db";
}

std::string TSqliteBackend::SchemaVersionStatement(int version) {
  return "PRAGMA user_version = " + std::to_string(version);
}

namespace {

// Runs sql and gives the first column of the first row ("" when none).
std::string SqliteFirstValue(const std::string& location, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(location.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + location);
  }
  std::string value;
  char* error = nullptr;
  const int code = sqlite3_exec(
      db, sql.c_str(),
      [](void* out, int columns, char** values, char**) {
        auto& text = *static_cast<std::string*>(out);
        if (text.empty() && columns > 0 && values[0]) text = values[0];
        return 0;
      },
      &value, &error);
  const std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  if (code != SQLITE_OK) throw std::runtime_error(sql + " on " + location + ": " + message);
  return value;
}

}  // namespace

void TSqliteBackend::Execute(const std::string& location, const std::string& sql) { SqliteFirstValue(location, sql); }

std::string TSqliteBackend::Query(const std::string& location, const std::string& sql) {
  return SqliteFirstValue(location, sql);
}

std::string TSqliteBackend::IntegrityCheck(const std::string& location) {
  return SqliteFirstValue(location, "PRAGMA integrity_check");
}

// The write lock is taken when another connection holds it.
bool TSqliteBackend::WriterInside(const std::string& location) {
  sqlite3* db = nullptr;
  bool inside = false;
  if (sqlite3_open_v2(location.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    inside = (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) & 0xff) == SQLITE_BUSY;
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  sqlite3_close(db);
  return inside;
}

bool TPgBackend::WriterInside(const std::string& location) {
  PGconn* conn = PQconnectdb(location.c_str());
  PGresult* result = PQexec(conn,
                            "SELECT 1 FROM pg_stat_activity WHERE datname = current_database() AND "
                            "pid <> pg_backend_pid() AND backend_type = 'client backend' AND xact_start IS NOT NULL");
  const bool inside = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0;
  PQclear(result);
  PQfinish(conn);
  return inside;
}

bool TPgBackend::Available() { return TPgServer::Shared() != nullptr; }
std::string TPgBackend::Unavailable() { return "no PostgreSQL server: " + TPgServer::Problem(); }
std::string TPgBackend::NewStore() { return TPgServer::Shared()->NewDatabase(); }

std::string TPgBackend::SchemaVersionStatement(int version) {
  return "UPDATE halvane_schema SET version = " + std::to_string(version);
}

void TPgBackend::Execute(const std::string& location, const std::string& sql) {
  PGconn* conn = PQconnectdb(location.c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  const auto status = PQresultStatus(result);
  const std::string error = PQerrorMessage(conn);
  PQclear(result);
  PQfinish(conn);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw std::runtime_error(sql + ": " + error);
}

}  // namespace halvane::store::test
