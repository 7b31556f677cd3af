#include "platform/Process.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace halvane::platform {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Resolves a bare program name through PATH before forking, so nothing
// after the fork needs to allocate.
std::string ResolveProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : "";
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + program;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
  const std::string resolved = ResolveProgram(program);
  if (resolved.empty()) return false;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(resolved.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // Two forks: the intermediate child exits at once, so the started program
  // is adopted by init and never lingers as our zombie.
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::setsid();
      const int devnull = ::open("/dev/null", O_RDONLY);
      if (devnull >= 0) {
        ::dup2(devnull, STDIN_FILENO);
        if (devnull != STDIN_FILENO) ::close(devnull);
      }
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OpenWithDesktop(const std::string& target) {
  return StartDetached("xdg-open", {target});
}

}  // namespace halvane::platform
#endif
