#include "base/RegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace halvane {
namespace {

class RegularFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/halvane-regular-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    FFolder = name;
  }
  void TearDown() override { std::filesystem::remove_all(FFolder); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = FFolder + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string FFolder;
};

TEST_F(RegularFile, ReadsAFileWithinItsBound) {
  std::string bytes, error;
  ASSERT_TRUE(ReadRegularFile(Write("k.txt", "one\ntwo\n"), 8, bytes, error)) << error;
  EXPECT_EQ(bytes, "one\ntwo\n");
  EXPECT_FALSE(ReadRegularFile(Write("big.txt", "123456789"), 8, bytes, error));
  EXPECT_NE(error.find("big.txt: larger than 8 bytes"), std::string::npos) << error;
  EXPECT_TRUE(bytes.empty());
}

// A FIFO with no writer would hold a blocking open forever: the test itself
// would hang if the open waited.
TEST_F(RegularFile, RefusesFifosDevicesAndFoldersWithoutWaiting) {
  const std::string fifo = FFolder + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string bytes, error;
  EXPECT_FALSE(ReadRegularFile(fifo, 1024, bytes, error));
  EXPECT_EQ(error, fifo + ": not a regular file (a FIFO)");
  EXPECT_FALSE(ReadRegularFile("/dev/zero", 1024, bytes, error));
  EXPECT_EQ(error, "/dev/zero: not a regular file (a character device)");
  EXPECT_FALSE(ReadRegularFile(FFolder, 1024, bytes, error));
  EXPECT_EQ(error, FFolder + ": not a regular file (a folder)");
  EXPECT_FALSE(ReadRegularFile(FFolder + "/missing", 1024, bytes, error));
  EXPECT_EQ(error, FFolder + "/missing: cannot open it (No such file or directory)");
}

TEST_F(RegularFile, OpenKeepsTheDescriptorAndItsSize) {
  TRegularFile file = TRegularFile::Open(Write("t.csv", "abc"), 1024 * 1024);
  ASSERT_TRUE(file.IsOpen()) << file.Error();
  EXPECT_EQ(file.Size(), 3u);
  char got[4] = {};
  EXPECT_EQ(::read(file.Descriptor(), got, 3), 3);
  EXPECT_STREQ(got, "abc");
  TRegularFile moved = std::move(file);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_EQ(ByteSizeInWords(16 * 1024 * 1024), "16 MB");
}

}  // namespace
}  // namespace halvane
