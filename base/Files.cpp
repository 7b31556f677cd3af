#include "base/Files.h"

#include <filesystem>

namespace halvane {

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace halvane
