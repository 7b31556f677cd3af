#include "live/TNetworkSettings.h"

namespace halvane::live {

std::string DefaultUserAgent() {
  return std::string("Halvane/") + HALVANE_VERSION + " (+checks blog pages for links to your site)";
}

}  // namespace halvane::live
