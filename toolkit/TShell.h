#pragma once
// Opening addresses from the windows. Tests replace the openers so that no
// browser starts.
#include <functional>
#include <string>
#include <string_view>

namespace halvane {

class TShell {
 public:
  using TOpener = std::function<bool(const std::string&)>;

  // The web browser registered for "http" (banner, buttons, HTML links).
  static bool OpenInBrowser(std::string_view address);
  // The shell's "open" verb on the address itself (link labels).
  static bool OpenDocument(std::string_view address);

  // Empty functions restore the system's openers.
  static void SetOpeners(TOpener browser, TOpener document);
};

}  // namespace halvane
