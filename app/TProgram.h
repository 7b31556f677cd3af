#pragma once
// Program start: the script is loaded, the application object and the main
// window are created, and the event loop runs until the window closes,
// which ends the process.
#include "classicrun/TServiceEndpoints.h"

namespace halvane {

class TProgram {
 public:
  // The production program: ProductionEndpoints().
  static int Run(int argc, char** argv);
  // The same program talking to other services; the demo edition points
  // them at the simulated web.
  static int Run(int argc, char** argv, const TServiceEndpoints& endpoints);
  // What --help prints: the options, and how live mode is set up.
  static const char* HelpText();
};

}  // namespace halvane
