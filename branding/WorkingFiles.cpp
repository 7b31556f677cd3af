#include "WorkingFiles.h"

#include "TFileRemover.h"

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

// A new empty file beside target, named after it, with the mode of target
// when that exists and the default mode otherwise.
std::string CreateTemporaryBeside(const std::string& target) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%ld-%u.tmp", static_cast<long>(::getpid()), serial++);
    const std::string path = target + suffix;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) Fail("cannot create", path);
    struct stat model {};
    int result = 0;
    if (::stat(target.c_str(), &model) == 0) result = ::fchmod(fd, model.st_mode & 07777);
    const int error = errno;
    ::close(fd);
    if (result != 0) {
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
  const std::size_t slash = target.find_last_of('/');
  SyncFolder(slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1));
}

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
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
  const std::string temporary = CreateTemporaryBeside(destination);
  TFileRemover remover(temporary);
  if (!write(temporary)) return false;
  CommitReplacement(temporary, destination);
  remover.Release();
  return true;
}

}  // namespace halvane
