#include "base/Files.h"
#include "base/TScopeExit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <stdexcept>

namespace halvane::test {
namespace {

// The XDG rules: an absolute value wins, a relative one is ignored.
TEST(XdgFolder, TakesAnAbsoluteValueElseTheHomeFolder) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string old = saved ? saved : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_CONFIG_HOME", "/tmp/halvane-config", 1);
  EXPECT_EQ(XdgFolder("XDG_CONFIG_HOME", ".config"), "/tmp/halvane-config");
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  if (!home.empty()) {
    EXPECT_EQ(XdgFolder("XDG_CONFIG_HOME", ".config"), home + "/.config");
  }
  if (saved) {
    setenv("XDG_CONFIG_HOME", old.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

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
