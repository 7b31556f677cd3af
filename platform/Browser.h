#pragma once
// Finding the web browser registered for "http" addresses.
//
// Windows keeps the browser's command line in the registry (the default
// value of HKEY_CLASSES_ROOT\http\shell\open\command); Linux desktops name a
// desktop entry for x-scheme-handler/http in their XDG MIME associations.
#include <optional>
#include <string>
#include <string_view>

namespace halvane::platform {

// The program that opens "http" addresses, or nothing when no browser is
// registered.
std::optional<std::string> FindHttpBrowser();

// The browser program named by a registered Windows command line: the text
// lower-cased (ASCII), cut after its first ".exe", with every double quote
// removed. A command without ".exe" leaves just ".exe".
std::string BrowserProgramFromCommand(std::string_view command);

// The program of a desktop entry's Exec value: its first word, with the
// entry format's quoting and escapes undone; field codes are not programs.
std::string ProgramFromDesktopExec(std::string_view exec);

}  // namespace halvane::platform
