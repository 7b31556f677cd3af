#include "platform/Browser.h"

#include "platform/Process.h"
#include "base/Files.h"
#include "base/TextScan.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace halvane::platform {
namespace {

std::vector<std::string> SplitDirs(const char* value, const char* fallback) {
  std::string list = (value && *value) ? value : fallback;
  std::vector<std::string> dirs;
  std::stringstream in(list);
  std::string dir;
  while (std::getline(in, dir, ':')) {
    if (!dir.empty() && dir[0] == '/') dirs.push_back(dir);
  }
  return dirs;
}


// Reads the value of key in the named section of a desktop-style key file.
std::optional<std::string> ReadKeyFileValue(const std::string& path, std::string_view section,
                                            std::string_view key) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::string line;
  bool inSection = false;
  std::size_t lines = 0;
  while (std::getline(in, line) && ++lines < 100000) {
    const std::string t(TrimBlanks(line));
    if (t.empty() || t[0] == '#') continue;
    if (t.front() == '[') {
      inSection = t.size() == section.size() + 2 && t.back() == ']' &&
                  std::string_view(t).substr(1, section.size()) == section;
      continue;
    }
    if (!inSection) continue;
    const auto eq = t.find('=');
    if (eq == std::string::npos) continue;
    if (TrimBlanks(std::string_view(t).substr(0, eq)) == key) return std::string(TrimBlanks(std::string_view(t).substr(eq + 1)));
  }
  return std::nullopt;
}

// XDG MIME association lookup: the user's and the system's mimeapps.list in
// the order the freedesktop rules give, then the older defaults.list.
std::optional<std::string> FindDesktopEntryForHttp(const std::vector<std::string>& appDirs) {
  std::vector<std::string> lists;
  const std::string configHome = XdgFolder("XDG_CONFIG_HOME", ".config");
  if (!configHome.empty()) lists.push_back(configHome + "/mimeapps.list");
  for (const auto& d : SplitDirs(std::getenv("XDG_CONFIG_DIRS"), "/etc/xdg")) {
    lists.push_back(d + "/mimeapps.list");
  }
  for (const auto& d : appDirs) lists.push_back(d + "/mimeapps.list");
  for (const auto& d : appDirs) lists.push_back(d + "/defaults.list");

  for (const auto& list : lists) {
    const auto value = ReadKeyFileValue(list, "Default Applications", "x-scheme-handler/http");
    if (!value) continue;
    std::stringstream entries(*value);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
      entry = TrimBlanks(entry);
      if (entry.empty() || entry.find('/') != std::string::npos) continue;
      for (const auto& dir : appDirs) {
        const std::string path = dir + "/" + entry;
        if (FileExists(path)) return path;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

bool OpenInBrowser(std::string_view address) {
  const auto command = FindHttpBrowserCommand(address);
  if (!command) return false;
  StartDetached(command->front(), std::vector<std::string>(command->begin() + 1, command->end()));
  return true;
}

std::string BrowserProgramFromCommand(std::string_view command) {
  std::string lower(command);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  const auto exe = lower.find(".exe");
  std::string program = (exe == std::string::npos ? std::string() : lower.substr(0, exe)) + ".exe";
  std::erase(program, '"');
  return program;
}

namespace {

// The key file's own escapes of a string value.
std::string UnescapeKeyFileValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    switch (value[i + 1]) {
      case 's': out.push_back(' '); ++i; break;
      case 'n': out.push_back('\n'); ++i; break;
      case 't': out.push_back('\t'); ++i; break;
      case 'r': out.push_back('\r'); ++i; break;
      case '\\': out.push_back('\\'); ++i; break;
      // Any other backslash is the Exec quoting's, read below.
      default: out.push_back('\\'); break;
    }
  }
  return out;
}

// One word of the command line; Marked bytes are field-code percent signs
// (a "%" that came from quoting or %% is plain text).
struct TExecWord {
  std::string Text;
  std::vector<bool> Marked;
  bool Quoted = false;  // "" is an argument of its own, empty or not
  void Add(char c, bool marked) {
    Text.push_back(c);
    Marked.push_back(marked);
  }
};

std::vector<TExecWord> SplitExecWords(std::string_view line) {
  std::vector<TExecWord> words;
  TExecWord word;
  bool inWord = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (inWord) words.push_back(std::move(word));
      word = TExecWord();
      inWord = false;
      ++i;
      continue;
    }
    inWord = true;
    if (c == '"') {
      word.Quoted = true;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        const char q = line[i];
        if (q == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '`' || line[i + 1] == '$' || line[i + 1] == '\\')) {
          word.Add(line[++i], false);
        } else {
          // A field code inside quotes is still one (entries in the wild
          // write "%u"); its expansion stays inside this word.
          word.Add(q, q == '%');
        }
      }
      ++i;  // the closing quote, if any
      continue;
    }
    if (c == '\\' && i + 1 < line.size()) {
      word.Add(line[i + 1], false);
      i += 2;
      continue;
    }
    word.Add(c, c == '%');
    ++i;
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

bool IsAddressCode(char code) { return code == 'u' || code == 'U' || code == 'f' || code == 'F'; }

}  // namespace

std::vector<std::string> DesktopExecArguments(std::string_view exec, std::string_view address,
                                              const TDesktopEntryInfo& entry) {
  const std::vector<TExecWord> words = SplitExecWords(UnescapeKeyFileValue(exec));
  std::vector<std::string> arguments;
  bool addressPlaced = false;
  for (const TExecWord& word : words) {
    const std::string& text = word.Text;
    // Whole-word codes that expand to a number of arguments other than one.
    if (text.size() == 2 && word.Marked[0]) {
      if (text[1] == 'i') {
        if (!entry.Icon.empty()) {
          if (arguments.empty()) return {};  // "--icon" is no program
          arguments.emplace_back("--icon");
          arguments.push_back(entry.Icon);
        }
        continue;
      }
    }
    std::string expanded;
    bool anyText = false;
    bool anyCode = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (!word.Marked[i] || i + 1 == text.size()) {
        expanded.push_back(text[i]);
        anyText = true;
        continue;
      }
      const char code = text[++i];
      anyCode = anyCode || code != '%';
      if (code == '%') {
        expanded.push_back('%');
        anyText = true;
      } else if (IsAddressCode(code)) {
        expanded.append(address);
        anyText = true;
        addressPlaced = true;
      } else if (code == 'c') {
        expanded.append(entry.Name);
        anyText = true;
      } else if (code == 'k') {
        expanded.append(entry.Path);
        anyText = true;
      } else if (code == 'i') {
        expanded.append(entry.Icon);
        anyText = anyText || !entry.Icon.empty();
      }
      // Deprecated and unknown codes (%d %D %n %N %v %m ...) are dropped.
    }
    if (!anyText && !(word.Quoted && !anyCode)) continue;
    // The program itself must be written out: "Exec=%u" would start the
    // address (or the entry's name) as a program.
    if (arguments.empty() && anyCode) return {};
    arguments.push_back(std::move(expanded));
  }
  if (arguments.empty()) return {};
  if (!addressPlaced) arguments.emplace_back(address);
  return arguments;
}

std::string ProgramFromDesktopExec(std::string_view exec) {
  const std::vector<std::string> arguments = DesktopExecArguments(exec, "");
  return arguments.empty() ? std::string() : arguments.front();
}

#ifndef _WIN32
std::optional<std::vector<std::string>> FindHttpBrowserCommand(std::string_view address) {
  std::vector<std::string> appDirs;
  const std::string dataHome = XdgFolder("XDG_DATA_HOME", ".local/share");
  if (!dataHome.empty()) appDirs.push_back(dataHome + "/applications");
  for (const auto& d : SplitDirs(std::getenv("XDG_DATA_DIRS"), "/usr/local/share:/usr/share")) {
    appDirs.push_back(d + "/applications");
  }
  const auto entry = FindDesktopEntryForHttp(appDirs);
  if (!entry) return std::nullopt;
  const auto exec = ReadKeyFileValue(*entry, "Desktop Entry", "Exec");
  if (!exec) return std::nullopt;
  TDesktopEntryInfo info;
  info.Icon = ReadKeyFileValue(*entry, "Desktop Entry", "Icon").value_or("");
  info.Name = ReadKeyFileValue(*entry, "Desktop Entry", "Name").value_or("");
  info.Path = *entry;
  std::vector<std::string> command = DesktopExecArguments(*exec, address, info);
  if (command.empty()) return std::nullopt;
  return command;
}
#endif

}  // namespace halvane::platform
