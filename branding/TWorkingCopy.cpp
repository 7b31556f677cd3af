#include "branding/TWorkingCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace halvane {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error = errno) {
  throw std::system_error(error, std::generic_category(), what + " " + path);
}

}  // namespace

TWorkingCopy::TWorkingCopy(std::string path) : FPath(std::move(path)) {
  struct stat planted {};
  if (::lstat(FPath.c_str(), &planted) == 0) ::unlink(FPath.c_str());  // a folder stays, and O_EXCL refuses it
  FDescriptor = ::open(FPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (FDescriptor < 0) Fail("cannot create", FPath);
  struct stat own {};
  if (::fchmod(FDescriptor, S_IRUSR | S_IWUSR) != 0 || ::fstat(FDescriptor, &own) != 0) {
    const int error = errno;
    ::unlink(FPath.c_str());
    ::close(FDescriptor);
    Fail("cannot protect", FPath, error);
  }
  FDevice = own.st_dev;
  FInode = own.st_ino;
}

TWorkingCopy::~TWorkingCopy() {
  struct stat now {};
  if (::lstat(FPath.c_str(), &now) == 0 && now.st_dev == FDevice && now.st_ino == FInode) ::unlink(FPath.c_str());
  ::close(FDescriptor);
}

void TWorkingCopy::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(FDescriptor, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write", FPath, n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string TWorkingCopy::ReadAll() {
  struct stat info {};
  if (::fstat(FDescriptor, &info) != 0) Fail("cannot examine", FPath);
  std::string content;
  content.reserve(static_cast<std::size_t>(info.st_size));
  char piece[65536];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(FDescriptor, piece, sizeof piece, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("cannot read", FPath);
    if (n == 0) break;
    content.append(piece, static_cast<std::size_t>(n));
    at += n;
  }
  return content;
}

}  // namespace halvane
