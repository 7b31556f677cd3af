#include "TProgramServices.h"

#include <cstdlib>

namespace halvane {

TProgramServices ProductionServices() {
  TProgramServices services;
  // The settings reader and the checksum script host join here as their
  // libraries become part of the build; until then the program runs as an
  // unbranded edition without a loaded script.
  services.LoadBrandSettings = [](const std::string&, TBrandSettings&) { return false; };
  services.NewsButtonShown = [](const TBrandSettings&) { return false; };
  services.LoadChecksumScript = [] {};
  services.ReleaseChecksumScript = [] {};
  services.ExitProcess = [](int code) { std::_Exit(code); };
  return services;
}

}  // namespace halvane
