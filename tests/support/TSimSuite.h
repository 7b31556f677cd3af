#pragma once
// A gtest fixture base for the suites that share one simulated web:
// halvane-sim runs from before the suite's first test until after its last,
// and the model of the same config stands beside it to say what it serves.
// gtest calls SetUpTestSuite and TearDownTestSuite on the test thread; Sim(),
// Web() and ServiceUrl() may be read from any thread while the suite runs.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"

namespace halvane::test {

// ConfigPath names the simulated web's config file; "" is its built-in one.
// A suite derives from it: class SearchBackEnd : public TSimSuite<kSmall>.
template <const char* ConfigPath>
class TSimSuite : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    const std::string config = ConfigPath;
    FSim = new TSimProcess(config);
    FWeb = new sim::TSimWeb(config.empty() ? sim::DefaultSimConfig() : sim::LoadSimConfig(config), FSim->Port());
  }
  static void TearDownTestSuite() {
    delete FWeb;
    FWeb = nullptr;
    delete FSim;
    FSim = nullptr;
  }

 protected:
  static TSimProcess& Sim() { return *FSim; }
  static const sim::TSimWeb& Web() { return *FWeb; }
  // "http://127.0.0.1:PORT", the engine and services.
  static std::string ServiceUrl() { return FSim->ServiceUrl(); }

 private:
  static inline TSimProcess* FSim = nullptr;
  static inline sim::TSimWeb* FWeb = nullptr;
};

}  // namespace halvane::test
