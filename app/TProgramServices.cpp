#include "TProgramServices.h"

#include <cstdlib>

#include "BrandSettings.h"

namespace halvane {

TProgramServices ProductionServices() {
  TProgramServices services;
  services.LoadBrandSettings = [](const std::string& folder, TBrandSettings& settings) {
    return halvane::LoadBrandSettings(folder, settings);
  };
  services.NewsButtonShown = [](const TBrandSettings& settings) { return halvane::NewsButtonShown(settings); };
  // The checksum script host joins here when its library is part of the
  // build; until then no script is loaded.
  services.LoadChecksumScript = [] {};
  services.ReleaseChecksumScript = [] {};
  services.ExitProcess = [](int code) { std::_Exit(code); };
  return services;
}

}  // namespace halvane
