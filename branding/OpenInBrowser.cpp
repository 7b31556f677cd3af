#include "Browser.h"
#include "Process.h"
#include "ShellUtils.h"

namespace halvane {

bool OpenInBrowser(std::string_view address) {
  const auto browser = platform::FindHttpBrowser();
  if (!browser) return false;
  // The address is the browser's only argument; whether it starts is not
  // examined.
  platform::StartDetached(*browser, {std::string(address)});
  return true;
}

}  // namespace halvane
