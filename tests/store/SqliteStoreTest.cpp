// What only the SQLite store does: its file and folder, its journal, and
// how it fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>

#include "store/OpenStore.h"
#include "store/TStoreError.h"
#include "tests/store/StoreBackends.h"
#include "tests/store/StoreFixture.h"

namespace halvane::store::test {
namespace {

using ::testing::HasSubstr;

std::string OpenError(const std::string& location, const TStoreOptions& options = {}) {
  try {
    OpenStore(location, options);
  } catch (const TStoreError& error) {
    return error.what();
  }
  return "(opened)";
}

unsigned Mode(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 0777;
}

TEST(SqliteStore, IsMadeOnFirstUseInAFolderAndFileOnlyItsOwnerMayRead) {
  TScratchFolder scratch;
  const std::string folder = scratch.Path() + "/share/halvane";
  auto store = OpenStore(folder + "/halvane.db");
  store->AddToBlacklist("spam.example");
  EXPECT_EQ(Mode(folder + "/halvane.db"), 0600u);
  EXPECT_EQ(Mode(folder), 0700u);
  // Written through the write-ahead log, whose file takes the store's mode.
  EXPECT_EQ(Mode(folder + "/halvane.db-wal"), 0600u);
  EXPECT_EQ(TSqliteBackend::Query(folder + "/halvane.db", "PRAGMA journal_mode"), "wal");
}

TEST(SqliteStore, AFileThatIsNoStoreIsNamedAndLeftAlone) {
  TScratchFolder scratch;
  const std::string path = scratch.Path() + "/notes.txt";
  std::ofstream(path) << std::string(4096, 'x');
  const std::string error = OpenError(path);
  EXPECT_THAT(error, HasSubstr(path));
  EXPECT_THAT(error, HasSubstr("not a Halvane store"));
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(4096, 'x'));
}

TEST(SqliteStore, AFolderThatCannotBeMadeIsNamed) {
  const std::string error = OpenError("/dev/null/halvane/halvane.db");
  EXPECT_THAT(error, HasSubstr("/dev/null/halvane/halvane.db"));
  EXPECT_THAT(error, HasSubstr("cannot create its folder"));
}

TEST(SqliteStore, AStoreHeldTooLongByAnotherProcessIsAnErrorNotADamage) {
  TScratchFolder scratch;
  const std::string path = scratch.Path() + "/halvane.db";
  TStoreOptions options;
  options.BusyTimeoutMs = 200;
  auto store = OpenStore(path, options);
  store->RecordVerdicts(std::vector{RowVerdict("https://blog.example/1")});

  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  try {
    store->RecordVerdicts(std::vector{RowVerdict("https://blog.example/2")});
    ADD_FAILURE() << "written beside another writer";
  } catch (const TStoreError& error) {
    EXPECT_THAT(error.what(), HasSubstr(path));
    EXPECT_THAT(error.what(), HasSubstr("another process held the store"));
  }
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);

  store->RecordVerdicts(std::vector{RowVerdict("https://blog.example/2")});
  EXPECT_EQ(store->Counts().Pages, 2);
  EXPECT_EQ(TSqliteBackend::IntegrityCheck(path), "ok");
}

}  // namespace
}  // namespace halvane::store::test
