#pragma once
// A fixture with a fresh folder of its own for each test, removed afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace halvane {

class TFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    FPath = std::filesystem::temp_directory_path() /
            ("halvane-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
    std::filesystem::remove_all(FPath);
    std::filesystem::create_directories(FPath);
    FFolder = FPath.string() + "/";
  }
  void TearDown() override { std::filesystem::remove_all(FPath); }
  std::string Path(const char* name) const { return (FPath / name).string(); }

  std::filesystem::path FPath;
  std::string FFolder;  // FPath with a trailing "/"
};

}  // namespace halvane
