#pragma once
// Throw-away certificates for TLS tests, made with the simulated web's test
// CA maker in a fresh temporary folder: a CA with a server certificate for
// the loopback addresses and one for another name, and an unrelated CA.
#include <memory>
#include <string>

#include "tools/sim/TTestCertificates.h"

namespace halvane::test {

class TTestPki {
 public:
  TTestPki();
  ~TTestPki();
  TTestPki(const TTestPki&) = delete;
  TTestPki& operator=(const TTestPki&) = delete;

  const std::string& CaFile() const { return FMain->CaFile(); }        // signs both server certificates
  const std::string& OtherCaFile() const { return FOther->CaFile(); }  // signs nothing we serve
  // For 127.0.0.1..127.0.0.3, localhost and *.sim.test.
  const sim::TTestCertificates& Server() const { return *FMain; }

 private:
  std::string FFolder;
  std::unique_ptr<sim::TTestCertificates> FMain, FOther;
};

}  // namespace halvane::test
