#pragma once
// Throw-away certificates for TLS tests, written as PEM files into a fresh
// temporary folder (made as the simulated web makes its own): two unrelated
// CAs, and server certificates for the loopback addresses signed by the
// first one (one for the right names, one for a different name).
#include <string>

namespace halvane::testsupport {

class TTestPki {
 public:
  TTestPki();
  ~TTestPki();
  TTestPki(const TTestPki&) = delete;
  TTestPki& operator=(const TTestPki&) = delete;

  const std::string& CaFile() const { return FCaFile; }            // signs both server certificates
  const std::string& OtherCaFile() const { return FOtherCaFile; }  // signs nothing we serve
  // For 127.0.0.1..127.0.0.3, localhost and *.sim.test.
  const std::string& ServerCert() const { return FServerCert; }
  const std::string& ServerKey() const { return FServerKey; }
  // For "wrong.invalid" only.
  const std::string& WrongNameCert() const { return FWrongNameCert; }
  const std::string& WrongNameKey() const { return FWrongNameKey; }

 private:
  std::string FFolder, FCaFile, FOtherCaFile, FServerCert, FServerKey, FWrongNameCert, FWrongNameKey;
};

}  // namespace halvane::testsupport
