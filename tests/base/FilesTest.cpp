#include "base/Files.h"
#include "base/TScopeExit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace halvane::test {
namespace {

TEST(FileExists, OnlyRegularFiles) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "halvane-files-test";
  std::filesystem::create_directories(dir / "folder");
  std::ofstream(dir / "file") << "x";
  EXPECT_TRUE(FileExists((dir / "file").string()));
  EXPECT_FALSE(FileExists((dir / "folder").string()));
  EXPECT_FALSE(FileExists((dir / "missing").string()));
  EXPECT_FALSE(FileExists(""));
  std::filesystem::remove_all(dir);
}

TEST(TScopeExit, RunsOnceHoweverTheScopeIsLeft) {
  int runs = 0;
  { const TScopeExit guard([&] { ++runs; }); }
  EXPECT_EQ(runs, 1);
  try {
    const TScopeExit guard([&] { ++runs; });
    throw std::runtime_error("leave");
  } catch (const std::exception&) {
  }
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace halvane::test
