#include "tests/store/TScratchFolder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace halvane::store::test {

TScratchFolder::TScratchFolder(const std::string& parent) {
  const std::string under = parent.empty() ? ::testing::TempDir() : parent;
  std::string pattern = under + "halvane_store_XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed under " + under);
  FPath = pattern;
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

}  // namespace halvane::store::test
