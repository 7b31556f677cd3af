#include "TTestPki.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "TTestCertificates.h"

namespace halvane::testsupport {

TTestPki::TTestPki() {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvane-pki-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("test certificates: cannot make " + pattern);
  FFolder = pattern;
  // The simulated web's certificates, and a second CA of the same kind that
  // signs nothing we serve.
  const sim::TTestCertificates served(FFolder, {"127.0.0.1", "127.0.0.2", "127.0.0.3"}, {"localhost", "*.sim.test"});
  const std::string otherFolder = FFolder + "/other";
  std::filesystem::create_directory(otherFolder);
  const sim::TTestCertificates other(otherFolder, {"127.0.0.1"}, {});
  FCaFile = served.CaFile();
  FOtherCaFile = other.CaFile();
  FServerCert = served.ServerCertFile();
  FServerKey = served.ServerKeyFile();
  FWrongNameCert = served.WrongCertFile();
  FWrongNameKey = served.WrongKeyFile();
}

TTestPki::~TTestPki() {
  std::error_code ignored;
  std::filesystem::remove_all(FFolder, ignored);
}

}  // namespace halvane::testsupport
