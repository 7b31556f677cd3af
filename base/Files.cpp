#include "base/Files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace halvane {

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string XdgFolder(const char* variable, const char* belowHome) {
  if (const char* value = std::getenv(variable); value && *value == '/') return value;
  std::string home;
  if (const char* set = std::getenv("HOME"); set && *set == '/') {
    home = set;
  } else if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir == '/') {
    home = entry->pw_dir;
  }
  if (home.empty()) return {};
  return home + "/" + belowHome;
}

}  // namespace halvane
