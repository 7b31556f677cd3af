#include "Browser.h"
#include "Process.h"
#include "ShellUtils.h"

namespace halvane {

bool OpenInBrowser(std::string_view address) {
  const auto command = platform::FindHttpBrowserCommand(address);
  if (!command) return false;
  // Whether it starts is not examined.
  platform::StartDetached(command->front(), std::vector<std::string>(command->begin() + 1, command->end()));
  return true;
}

}  // namespace halvane
