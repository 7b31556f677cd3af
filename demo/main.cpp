// halvane-demo: the program itself, talking to the simulated web that
// halvane-sim serves on loopback instead of the production services.
#include <string>

#include "TProgram.h"
#include "TServiceEndpoints.h"

#ifndef HALVANE_DEMO_PORT
#error "HALVANE_DEMO_PORT is set by the build"
#endif
#ifndef HALVANE_DEMO_IMAGE_SEARCH_PREFIX
#error "HALVANE_DEMO_IMAGE_SEARCH_PREFIX is set by the build"
#endif

namespace {

halvane::TServiceEndpoints DemoEndpoints() {
  const std::string host = std::string("127.0.0.1:") + HALVANE_DEMO_PORT;
  halvane::TServiceEndpoints endpoints;
  endpoints.SearchHost = host;
  endpoints.ImageSearchPrefix = HALVANE_DEMO_IMAGE_SEARCH_PREFIX;
  endpoints.PageRankHost = host;
  endpoints.RankingHost = host;
  endpoints.UpdateBaseURL = "http://" + host + "/liveupdate/halvane/";
  return endpoints;
}

}  // namespace

int main(int argc, char** argv) { return halvane::TProgram::Run(argc, argv, DemoEndpoints()); }
