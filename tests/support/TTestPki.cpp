#include "tests/support/TTestPki.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace halvane::test {

TTestPki::TTestPki() {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvane-pki-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("test certificates: no temporary folder");
  FFolder = pattern;
  std::filesystem::create_directory(FFolder + "/main");
  std::filesystem::create_directory(FFolder + "/other");
  FMain = std::make_unique<sim::TTestCertificates>(FFolder + "/main", std::vector<std::string>{"127.0.0.1", "127.0.0.2", "127.0.0.3"},
                                                   std::vector<std::string>{"localhost", "*.sim.test"});
  FOther = std::make_unique<sim::TTestCertificates>(FFolder + "/other", std::vector<std::string>{"127.0.0.1"},
                                                    std::vector<std::string>{"localhost"});
}

TTestPki::~TTestPki() {
  std::error_code ignored;
  std::filesystem::remove_all(FFolder, ignored);
}

}  // namespace halvane::test
