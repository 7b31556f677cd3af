// halvane-demo: the program itself, talking to the simulated web that
// halvane-sim serves on loopback instead of the production services.
#include "TProgram.h"
#include "TServiceEndpoints.h"

#ifndef HALVANE_DEMO_PORT
#error "HALVANE_DEMO_PORT is set by the build"
#endif

int main(int argc, char** argv) {
  return halvane::TProgram::Run(argc, argv, halvane::SimulatedWebEndpoints(HALVANE_DEMO_PORT));
}
