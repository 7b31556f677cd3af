#include "store/TPgDatabase.h"

#include <libpq-fe.h>

#include <charconv>
#include <memory>

#include "store/StoreLocation.h"
#include "store/TStoreError.h"

namespace halvane::store {

namespace {

// Any number; the same for every Halvane, so that they migrate one by one.
constexpr long long kMigrationLock = 0x48616c76616e65LL;

// Type OIDs of the integer columns (pg_type.h).
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23;

// ?1, ?2 ... become $1, $2 ...: the store's statements hold no '?' otherwise.
std::string PgText(const std::string& sql) {
  std::string text = sql;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '?' && text[i + 1] >= '0' && text[i + 1] <= '9') text[i] = '$';
  }
  return text;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// What the user can do, by the SQLSTATE's class.
std::string Hint(const char* state) {
  const std::string code = state ? state : "";
  if (code.starts_with("28")) return " (check the user and password in [store] url)";
  if (code == "3D000") return " (create the database on the server first, e.g. with createdb)";
  if (code.starts_with("08") || code.empty()) return " (is the server running and reachable?)";
  if (code.starts_with("42501")) return " (the user may not change this database; ask its owner to grant it)";
  return "";
}

}  // namespace

TPgDatabase::TPgDatabase(const std::string& url) : FLocation(WithoutPassword(url)) {
  // libpq's own reading of the URL tells the password, whatever its spelling.
  if (PQconninfoOption* options = PQconninfoParse(url.c_str(), nullptr)) {
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
      if (std::string_view(option->keyword) == "password" && option->val) FPassword = option->val;
    }
    PQconninfoFree(options);
  }
  FConn = PQconnectdb(url.c_str());
  if (!FConn || PQstatus(FConn) != CONNECTION_OK) {
    const std::string message = FConn ? PQerrorMessage(FConn) : "out of memory";
    PQfinish(FConn);
    FConn = nullptr;
    Fail("cannot connect", message, nullptr);
  }
  // Notices ("relation already exists, skipping") are not for the user.
  PQsetNoticeProcessor(FConn, [](void*, const char*) {}, nullptr);
}

TPgDatabase::~TPgDatabase() { PQfinish(FConn); }

std::vector<TSqlRow> TPgDatabase::Query(const std::string& sql, std::span<const TSqlValue> params) {
  auto prepared = FPrepared.find(sql);
  if (prepared == FPrepared.end()) {
    const std::string name = "s" + std::to_string(FPrepared.size());
    Rows(PQprepare(FConn, name.c_str(), PgText(sql).c_str(), 0, nullptr), "cannot prepare \"" + sql + "\"");
    prepared = FPrepared.emplace(sql, name).first;
  }
  std::vector<std::string> texts(params.size());
  std::vector<const char*> values(params.size(), nullptr);
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (const auto* number = std::get_if<std::int64_t>(&params[i])) {
      texts[i] = std::to_string(*number);
      values[i] = texts[i].c_str();
    } else if (const auto* text = std::get_if<std::string>(&params[i])) {
      values[i] = text->c_str();
    }
  }
  return Rows(PQexecPrepared(FConn, prepared->second.c_str(), static_cast<int>(params.size()), values.data(), nullptr,
                             nullptr, 0),
              "cannot run \"" + sql + "\"");
}

std::vector<TSqlRow> TPgDatabase::Rows(PGresult* raw, const std::string& step) {
  const std::unique_ptr<PGresult, decltype(&PQclear)> result(raw, &PQclear);
  const auto status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
    Fail(step, raw ? PQresultErrorMessage(raw) : PQerrorMessage(FConn),
         raw ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr);
  }
  std::vector<TSqlRow> rows(static_cast<std::size_t>(PQntuples(raw)));
  const int columns = PQnfields(raw);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    rows[r].reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      const int row = static_cast<int>(r);
      if (PQgetisnull(raw, row, c)) {
        rows[r].emplace_back();
        continue;
      }
      const char* text = PQgetvalue(raw, row, c);
      const std::size_t size = static_cast<std::size_t>(PQgetlength(raw, row, c));
      const Oid type = PQftype(raw, c);
      if (type == kInt8 || type == kInt2 || type == kInt4) {
        std::int64_t number = 0;
        std::from_chars(text, text + size, number);
        rows[r].emplace_back(number);
      } else {
        rows[r].emplace_back(std::string(text, size));
      }
    }
  }
  return rows;
}

void TPgDatabase::ExecuteScript(const std::string& sql) { Rows(PQexec(FConn, sql.c_str()), "cannot change the schema"); }

void TPgDatabase::Begin() { Rows(PQexec(FConn, "BEGIN"), "cannot begin a transaction"); }
void TPgDatabase::Commit() { Rows(PQexec(FConn, "COMMIT"), "cannot commit"); }
void TPgDatabase::Rollback() noexcept { PQclear(PQexec(FConn, "ROLLBACK")); }

void TPgDatabase::BeginMigration() {
  Begin();
  Query("SELECT pg_advisory_xact_lock(" + std::to_string(kMigrationLock) + ")", {});
  ExecuteScript("CREATE TABLE IF NOT EXISTS halvane_schema (version INTEGER NOT NULL)");
}

int TPgDatabase::SchemaVersion() {
  const auto rows = Query("SELECT version FROM halvane_schema", {});
  if (rows.empty()) return 0;
  const auto* version = std::get_if<std::int64_t>(&rows[0].at(0));
  return version ? static_cast<int>(*version) : 0;
}

void TPgDatabase::SetSchemaVersion(int version) {
  ExecuteScript("DELETE FROM halvane_schema; INSERT INTO halvane_schema VALUES (" + std::to_string(version) + ")");
}

void TPgDatabase::Fail(const std::string& step, std::string message, const char* state) const {
  message = Trimmed(std::move(message));
  if (!FPassword.empty()) {
    for (std::size_t at = message.find(FPassword); at != std::string::npos; at = message.find(FPassword, at)) {
      message.replace(at, FPassword.size(), "***");
    }
  }
  throw TStoreError("store " + FLocation + ": " + step + ": " + message + Hint(state));
}

}  // namespace halvane::store
