#pragma once
// What the main window calls outside itself at start-up and close. The
// production set binds the real settings reader, script host and process
// exit; tests substitute their own.
#include <functional>
#include <string>

#include "branding/TBrandSettings.h"

namespace halvane {

struct TProgramServices {
  // Fills the record from the settings file in programFolder; false when
  // there is no settings file.
  std::function<bool(const std::string& programFolder, TBrandSettings& settings)> LoadBrandSettings;
  // The News button rule.
  std::function<bool(const TBrandSettings& settings)> NewsButtonShown;
  std::function<void()> LoadChecksumScript;
  std::function<void()> ReleaseChecksumScript;
  // Ends the process at once; never returns in production.
  std::function<void(int code)> ExitProcess;
};

TProgramServices ProductionServices();

}  // namespace halvane
