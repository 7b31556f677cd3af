#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace halvane::platform {
namespace {

std::atomic<unsigned> gTempCounter{0};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The folder's entry for the rename is made durable too; a failure here no
// longer endangers the file's content, so it is not reported.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// mode < 0: 0666 less the umask, as for any new file.
bool WriteAtomically(const std::string& path, std::string_view bytes, int mode) noexcept {
  try {
    if (path.empty() || path.back() == '/') {
      errno = EISDIR;
      return false;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temp = (slash == std::string::npos ? std::string() : folder) + "." + name + ".tmp" +
             std::to_string(::getpid()) + "-" + std::to_string(gTempCounter++);
      // Without a mode, permissions as for any new file (0666 less the umask),
      // unlike mkstemp's 0600; with one, owner bits at most until fchmod.
      fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  mode < 0 ? 0666 : static_cast<mode_t>(mode) & 0600);
      if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) {
      errno = EEXIST;
      return false;
    }

    bool ok = (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && WriteAll(fd, bytes) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
      const int why = errno;  // the caller's reason, whatever unlink does
      ::unlink(temp.c_str());
      errno = why;
      return false;
    }
    SyncFolder(folder);
    return true;
  } catch (...) {
    errno = ENOMEM;
    return false;  // out of memory while forming the names
  }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) noexcept {
  return WriteAtomically(path, bytes, -1);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) noexcept {
  return WriteAtomically(path, bytes, static_cast<int>(mode & 07777));
}

}  // namespace halvane::platform
