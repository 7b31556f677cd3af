#include "TServiceEndpoints.h"

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

}  // namespace halvane
