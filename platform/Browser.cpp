#include "Browser.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace halvane::platform {
namespace {

std::string Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(first, last - first + 1));
}

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

std::string HomeRelative(const char* value, const char* fallbackBelowHome) {
  if (value && *value == '/') return value;
  const char* home = std::getenv("HOME");
  if (!home || *home != '/') return {};
  return std::string(home) + "/" + fallbackBelowHome;
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
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    if (t.front() == '[') {
      inSection = t.size() == section.size() + 2 && t.back() == ']' &&
                  std::string_view(t).substr(1, section.size()) == section;
      continue;
    }
    if (!inSection) continue;
    const auto eq = t.find('=');
    if (eq == std::string::npos) continue;
    if (Trim(std::string_view(t).substr(0, eq)) == key) return Trim(std::string_view(t).substr(eq + 1));
  }
  return std::nullopt;
}

bool IsFile(const std::string& path) {
  std::ifstream in(path);
  return static_cast<bool>(in);
}

// XDG MIME association lookup: the user's and the system's mimeapps.list in
// the order the freedesktop rules give, then the older defaults.list.
std::optional<std::string> FindDesktopEntryForHttp(const std::vector<std::string>& appDirs) {
  std::vector<std::string> lists;
  const std::string configHome = HomeRelative(std::getenv("XDG_CONFIG_HOME"), ".config");
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
      entry = Trim(entry);
      if (entry.empty() || entry.find('/') != std::string::npos) continue;
      for (const auto& dir : appDirs) {
        const std::string path = dir + "/" + entry;
        if (IsFile(path)) return path;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

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

std::string ProgramFromDesktopExec(std::string_view exec) {
  std::string word;
  std::size_t i = 0;
  while (i < exec.size() && (exec[i] == ' ' || exec[i] == '\t')) ++i;
  if (i < exec.size() && exec[i] == '"') {
    for (++i; i < exec.size() && exec[i] != '"'; ++i) {
      if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
      word.push_back(exec[i]);
    }
  } else {
    for (; i < exec.size() && exec[i] != ' ' && exec[i] != '\t'; ++i) {
      if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
      word.push_back(exec[i]);
    }
  }
  if (!word.empty() && word[0] == '%') return {};
  return word;
}

#ifndef _WIN32
std::optional<std::string> FindHttpBrowser() {
  std::vector<std::string> appDirs;
  const std::string dataHome = HomeRelative(std::getenv("XDG_DATA_HOME"), ".local/share");
  if (!dataHome.empty()) appDirs.push_back(dataHome + "/applications");
  for (const auto& d : SplitDirs(std::getenv("XDG_DATA_DIRS"), "/usr/local/share:/usr/share")) {
    appDirs.push_back(d + "/applications");
  }
  const auto entry = FindDesktopEntryForHttp(appDirs);
  if (!entry) return std::nullopt;
  const auto exec = ReadKeyFileValue(*entry, "Desktop Entry", "Exec");
  if (!exec) return std::nullopt;
  std::string program = ProgramFromDesktopExec(*exec);
  if (program.empty()) return std::nullopt;
  return program;
}
#endif

}  // namespace halvane::platform
