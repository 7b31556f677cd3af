#pragma once
// The demo edition as the build ships it, started for a test: its program
// folder copied into a temporary one, halvane-sim running its configuration
// on a free port, the endpoints and the settings file's addresses moved to
// that port, and the real settings reader and checksum script in use.
#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "tools/sim/TExpectedRow.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"

namespace halvane::test {

class TDemoEdition {
 public:
  // Throws std::runtime_error when the demo folder is incomplete.
  TDemoEdition();
  ~TDemoEdition();
  TDemoEdition(const TDemoEdition&) = delete;
  TDemoEdition& operator=(const TDemoEdition&) = delete;

  // The window shown on the demo's welcome page.
  TfrmMain& Start();

  // Presses the welcome page's button and waits for the start-up step it
  // arms (news balloon, then the update check, whose offer is declined).
  // False when the step did not run within 20 s.
  bool LeaveWelcomePage();
  // Runs a search to its end.
  void Search(const std::string& keyword, const std::string& domain, int depthIndex);
  // The list as the window holds it, in the expected rows' shape.
  std::vector<sim::TExpectedRow> Rows();

  sim::TSimConfig Config;
  test::TSimProcess Sim;
  std::unique_ptr<sim::TSimWeb> Web;
  TAppFixture App;
};

// The demo folder the build made.
std::string DemoFolder();

}  // namespace halvane::test
