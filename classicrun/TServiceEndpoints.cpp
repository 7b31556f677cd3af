#include "classicrun/TServiceEndpoints.h"

#include <string>

#ifndef HALVANE_UPDATE_BASE_URL
#error "HALVANE_UPDATE_BASE_URL is set by the build"
#endif

namespace halvane {

TServiceEndpoints ProductionEndpoints() {
  TServiceEndpoints endpoints;
  endpoints.SearchHost = "www.google.com";
  endpoints.ImageSearchPrefix = "http://images.google";
  endpoints.PageRankHost = "toolbarqueries.google.com";
  endpoints.RankingHost = "www.alexa.com";
  endpoints.UpdateBaseURL = HALVANE_UPDATE_BASE_URL;
  return endpoints;
}

TServiceEndpoints SimulatedWebEndpoints(int port) {
  const std::string host = "127.0.0.1:" + std::to_string(port);
  TServiceEndpoints endpoints;
  endpoints.SearchHost = host;
  // The simulator's image-search host is "images.sim.test"; the program
  // matches its links by this prefix, as it does "http://images.google".
  endpoints.ImageSearchPrefix = "http://images.sim";
  endpoints.PageRankHost = host;
  endpoints.RankingHost = host;
  endpoints.UpdateBaseURL = "http://" + host + "/liveupdate/halvane/";
  return endpoints;
}

}  // namespace halvane
