#pragma once
// Finding the web browser registered for "http" addresses.
//
// Windows keeps the browser's command line in the registry (the default
// value of HKEY_CLASSES_ROOT\http\shell\open\command); Linux desktops name a
// desktop entry for x-scheme-handler/http in their XDG MIME associations.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvane::platform {

// Opens address in the web browser registered for "http", without a shell.
// Returns false when no browser is registered; whether the start succeeded
// is not examined.
bool OpenInBrowser(std::string_view address);

// The command that opens address in the browser registered for "http"
// addresses: the program first, then its arguments (started without a
// shell); nothing when no browser is registered.
std::optional<std::vector<std::string>> FindHttpBrowserCommand(std::string_view address);

// The browser program named by a registered Windows command line: the text
// lower-cased (ASCII), cut after its first ".exe", with every double quote
// removed. A command without ".exe" leaves just ".exe".
std::string BrowserProgramFromCommand(std::string_view command);

// What a desktop entry says about itself, for the field codes %i %c %k.
struct TDesktopEntryInfo {
  std::string Icon;
  std::string Name;
  std::string Path;
};

// The argument vector of a desktop entry's Exec value opening address, as
// freedesktop.org's desktop entry format reads it: the value's escapes (\s \n \t
// \r \\) undone, words split at unquoted blanks, double quotes grouping
// with \" \` \$ \\ escaped inside them; %u %U %f %F become the address
// (appended as the last argument when the line has none of them), %i the
// two arguments --icon and the icon (nothing without one), %c the name, %k
// the entry's path, %% a "%"; other field codes are dropped, and a word
// made of dropped codes alone disappears, while a quoted empty word ("")
// stays an empty argument. The address is always one argument, whatever it
// contains. Empty when no program remains or when the program itself is
// written as a field code (Exec=%u).
std::vector<std::string> DesktopExecArguments(std::string_view exec, std::string_view address,
                                              const TDesktopEntryInfo& entry = {});

// The program of a desktop entry's Exec value: the first word of
// DesktopExecArguments; field codes are not programs.
std::string ProgramFromDesktopExec(std::string_view exec);

}  // namespace halvane::platform
