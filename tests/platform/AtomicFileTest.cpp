#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace halvane::platform {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest runs cases in parallel processes: each gets a folder of its own.
    FFolder = fs::path(::testing::TempDir()) /
              ("halvane_atomic_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(::getpid()));
    fs::remove_all(FFolder);
    fs::create_directories(FFolder);
  }
  void TearDown() override { fs::remove_all(FFolder); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(FFolder), {}));
  }

  fs::path FFolder;
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithExactBytes) {
  const fs::path target = FFolder / "out.csv";
  const std::string bytes("a\0b\r\n\xFF", 6);
  ASSERT_TRUE(WriteFileAtomically(target.string(), bytes));
  EXPECT_EQ(Read(target), bytes);
  ASSERT_TRUE(WriteFileAtomically(target.string(), "new"));
  EXPECT_EQ(Read(target), "new");
  ASSERT_TRUE(WriteFileAtomically(target.string(), ""));
  EXPECT_EQ(Read(target), "");
  EXPECT_EQ(EntryCount(), 1u);  // no temporary file left beside it
}

TEST_F(AtomicFileTest, FailureLeavesOldContentAndNoTemporaryFile) {
  const fs::path folderTarget = FFolder / "taken";
  fs::create_directories(folderTarget / "inner");
  EXPECT_FALSE(WriteFileAtomically(folderTarget.string(), "x"));
  EXPECT_TRUE(fs::is_directory(folderTarget / "inner"));
  EXPECT_EQ(EntryCount(), 1u);

  EXPECT_FALSE(WriteFileAtomically((FFolder / "missing" / "f").string(), "x"));
  EXPECT_FALSE(WriteFileAtomically("", "x"));
  EXPECT_FALSE(WriteFileAtomically((FFolder / "").string(), "x"));
}

TEST_F(AtomicFileTest, GivenModeHoldsWhateverTheUmaskAndTheOldFile) {
  const fs::path target = FFolder / "keys.ini";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  const mode_t oldMask = ::umask(0);
  const bool written = WriteFileAtomically(target.string(), "key=secret", 0600);
  ::umask(oldMask);
  ASSERT_TRUE(written);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(Read(target), "key=secret");
  EXPECT_EQ(EntryCount(), 1u);
}

}  // namespace
}  // namespace halvane::platform
