#include "app/TProgramServices.h"

#include <cstdlib>

#include "branding/BrandSettings.h"
#include "script/ChecksumScript.h"

namespace halvane {

TProgramServices ProductionServices() {
  TProgramServices services;
  services.LoadBrandSettings = [](const std::string& folder, TBrandSettings& settings) {
    return halvane::LoadBrandSettings(folder, settings);
  };
  services.NewsButtonShown = [](const TBrandSettings& settings) { return halvane::NewsButtonShown(settings); };
  services.LoadChecksumScript = [] { halvane::LoadChecksumScript(); };
  services.ReleaseChecksumScript = [] { halvane::ReleaseChecksumScript(); };
  services.ExitProcess = [](int code) { std::_Exit(code); };
  return services;
}

}  // namespace halvane
