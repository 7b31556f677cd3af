#include "branding/WorkingFiles.h"

#include "branding/TFileRemover.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace halvane {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error = errno) {
  throw std::system_error(error, std::generic_category(), what + " " + path);
}

void SyncFileData(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open", path);
  const int result = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  if (result != 0) Fail("cannot flush", path, error);
}

// Best effort: the rename has happened, and some file systems cannot sync a
// folder.
void SyncFolder(const std::string& folder) noexcept {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string TemporaryNameBeside(const std::string& target) {
  static std::atomic<unsigned> serial{0};
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%ld-%u.tmp", static_cast<long>(::getpid()), serial++);
  return target + suffix;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Gives fd the mode of target when that exists; false (errno set) on failure.
bool CopyModeOf(const std::string& target, int fd) {
  struct stat model {};
  return ::stat(target.c_str(), &model) != 0 || ::fchmod(fd, model.st_mode & 07777) == 0;
}

// A new empty file beside target, named after it, with the mode of target
// when that exists and the default mode otherwise.
std::string CreateTemporaryBeside(const std::string& target) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = TemporaryNameBeside(target);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) Fail("cannot create", path);
    const bool moded = CopyModeOf(target, fd);
    const int error = errno;
    ::close(fd);
    if (!moded) {
      RemoveFileQuietly(path);
      Fail("cannot set the mode of", path, error);
    }
    return path;
  }
  Fail("cannot create a temporary file beside", target, EEXIST);
}

void CommitReplacement(const std::string& temporary, const std::string& target) {
  SyncFileData(temporary);
  if (std::rename(temporary.c_str(), target.c_str()) != 0) Fail("cannot replace", target);
  SyncFolder(FolderOf(target));
}

// The unnamed way: the new content goes into an O_TMPFILE file, which no
// interruption (a signal, a crash, a full disk) can leave behind; it gets a
// name only once complete, and that name is at once renamed over target.
// Returns -1 where the file system or /proc cannot do this.
int CreateUnnamedBeside(const std::string& target) {
  const int fd = ::open(FolderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (!CopyModeOf(target, fd) || ::access(("/proc/self/fd/" + std::to_string(fd)).c_str(), F_OK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void LinkUnnamedOver(int fd, const std::string& target) {
  if (::fsync(fd) != 0) Fail("cannot flush", target);
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameBeside(target);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      Fail("cannot write", target);
    }
    if (std::rename(name.c_str(), target.c_str()) != 0) {
      const int error = errno;
      ::unlink(name.c_str());
      Fail("cannot replace", target, error);
    }
    SyncFolder(FolderOf(target));
    return;
  }
  Fail("cannot name the new file for", target, EEXIST);
}

class TDescriptor {
 public:
  explicit TDescriptor(int fd) : FFd(fd) {}
  ~TDescriptor() { if (FFd >= 0) ::close(FFd); }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;

 private:
  int FFd;
};

}  // namespace

void CreatePrivateFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) Fail("cannot create", path);
  // An older file of that name keeps its mode through O_TRUNC.
  const int result = ::fchmod(fd, S_IRUSR | S_IWUSR);
  const int error = errno;
  ::close(fd);
  if (result != 0) Fail("cannot protect", path, error);
}

std::uint64_t FileSizeOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) Fail("cannot examine", path);
  return static_cast<std::uint64_t>(info.st_size);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open", path);
  std::string content;
  // Sized once for a regular file, so that reading needs no more memory than
  // the file's size.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    content.resize(static_cast<std::size_t>(info.st_size));
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) Fail("cannot read", path, EIO);
    if (in.eof() || in.peek() == std::char_traits<char>::eof()) return content;
  }
  content.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) Fail("cannot read", path, EIO);
  return content;
}

void WriteWholeFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) Fail("cannot create", path);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) Fail("cannot write", path, EIO);
}

void RemoveFileQuietly(const std::string& path) noexcept { ::unlink(path.c_str()); }

bool ReplaceFileThrough(const std::string& destination,
                        const std::function<bool(const std::string& temporary)>& write) {
  if (const int fd = CreateUnnamedBeside(destination); fd >= 0) {
    TDescriptor owner(fd);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    try {
      if (!write(self)) return false;
    } catch (const std::system_error& e) {
      // A failure is named after the file the user asked for, not the descriptor.
      std::string what = e.what();
      const std::string suffix = ": " + e.code().message();
      if (what.size() >= suffix.size() && what.compare(what.size() - suffix.size(), suffix.size(), suffix) == 0) {
        what.resize(what.size() - suffix.size());
      }
      if (const auto at = what.find(self); at != std::string::npos) what.replace(at, self.size(), destination);
      throw std::system_error(e.code(), what);
    }
    LinkUnnamedOver(fd, destination);
    return true;
  }
  const std::string temporary = CreateTemporaryBeside(destination);
  TFileRemover remover(temporary);
  if (!write(temporary)) return false;
  CommitReplacement(temporary, destination);
  remover.Release();
  return true;
}

}  // namespace halvane
