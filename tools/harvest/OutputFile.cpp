#include "tools/harvest/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace halvane::harvest {

std::string OutputFileProblem(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) {
    if (errno == ENOENT) return "no such folder " + folder;
    return "cannot reach the folder " + folder + " (" + std::strerror(errno) + ")";
  }
  if (!S_ISDIR(status.st_mode)) return folder + " is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "the folder " + folder + " is not writable (" + std::strerror(errno) + ")";
  }
  if (path.empty() || path.back() == '/') return "no file name given";
  if (::stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return "it is a folder";
    if (!S_ISREG(status.st_mode)) return "it is not a regular file (a FIFO, a device or a socket)";
  }
  return {};
}

}  // namespace halvane::harvest
