#pragma once
// The store's back ends as the typed test suite sees them: each makes a new,
// empty store and can run a statement on it behind the store's back.
#include <memory>
#include <string>

#include "tests/store/TScratchFolder.h"

namespace halvane::store::test {

struct TSqliteBackend {
  static constexpr const char* kName = "SQLite";
  static bool Available() { return true; }
  static std::string Unavailable() { return {}; }
  std::string NewStore();
  // The statement that says the store has the given schema version.
  static std::string SchemaVersionStatement(int version);
  static void Execute(const std::string& location, const std::string& sql);
  // The first column of the first row ("" when none).
  static std::string Query(const std::string& location, const std::string& sql);
  // "ok" when the database is consistent.
  static std::string IntegrityCheck(const std::string& location);
  // Is another connection inside a write transaction (or statement)?
  static bool WriterInside(const std::string& location);

  std::unique_ptr<TScratchFolder> FFolder;
};

struct TPgBackend {
  static constexpr const char* kName = "PostgreSQL";
  static bool Available();
  static std::string Unavailable();
  std::string NewStore();
  static std::string SchemaVersionStatement(int version);
  static void Execute(const std::string& location, const std::string& sql);
  // The server keeps its own consistency; what a killed client leaves is
  // checked through the store.
  static std::string IntegrityCheck(const std::string&) { return "ok"; }
  static bool WriterInside(const std::string& location);
};

}  // namespace halvane::store::test
