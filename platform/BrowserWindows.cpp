// Windows side of the browser lookup and program start: the registered
// command from the registry, started through the shell's "open" verb.
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/Browser.h"
#include "platform/Process.h"

namespace halvane::platform {

std::optional<std::vector<std::string>> FindHttpBrowserCommand(std::string_view address) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "\\http\\shell\\open\\command", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  char buffer[4096];
  DWORD type = 0;
  DWORD size = sizeof(buffer) - 1;
  const LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  buffer[size] = 0;
  const std::string command(buffer);
  if (command.empty()) return std::nullopt;
  // The registered program with the address as its only argument.
  return std::vector<std::string>{BrowserProgramFromCommand(command), std::string(address)};
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
  std::string parameters;
  for (const auto& a : arguments) {
    if (!parameters.empty()) parameters += ' ';
    parameters += a;
  }
  ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOW);
  return true;
}

bool OpenWithDesktop(const std::string& target) {
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return true;
}

}  // namespace halvane::platform
#endif
