#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace halvane {
namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not an ordinary file";
}

std::string SystemReason(int code) { return std::strerror(code); }

}  // namespace

std::string ByteSizeInWords(std::uint64_t bytes) {
  constexpr std::uint64_t kMb = 1024 * 1024;
  if (bytes >= kMb && bytes % kMb == 0) return std::to_string(bytes / kMb) + " MB";
  return std::to_string(bytes) + " bytes";
}

TRegularFile TRegularFile::Open(const std::string& path, std::uint64_t maxBytes) {
  TRegularFile file;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    file.FError = path + ": cannot open it (" + SystemReason(errno) + ")";
    return file;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    file.FError = path + ": cannot read its details (" + SystemReason(errno) + ")";
    ::close(fd);
    return file;
  }
  if (!S_ISREG(info.st_mode)) {
    file.FError = path + ": not a regular file (" + KindOf(info.st_mode) + ")";
    ::close(fd);
    return file;
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > maxBytes) {
    file.FError = path + ": larger than " + ByteSizeInWords(maxBytes) + ", the most this file may hold";
    ::close(fd);
    return file;
  }
  // Reads of a regular file never block; clearing the flag keeps later
  // readers (streams, mappings) on their usual footing.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  file.FDescriptor = fd;
  file.FSize = size;
  return file;
}

TRegularFile::TRegularFile(TRegularFile&& other) noexcept
    : FDescriptor(std::exchange(other.FDescriptor, -1)), FSize(other.FSize), FError(std::move(other.FError)) {}

TRegularFile& TRegularFile::operator=(TRegularFile&& other) noexcept {
  if (this != &other) {
    if (FDescriptor >= 0) ::close(FDescriptor);
    FDescriptor = std::exchange(other.FDescriptor, -1);
    FSize = other.FSize;
    FError = std::move(other.FError);
  }
  return *this;
}

TRegularFile::~TRegularFile() {
  if (FDescriptor >= 0) ::close(FDescriptor);
}

int TRegularFile::Release() noexcept { return std::exchange(FDescriptor, -1); }

bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes, std::string& error) {
  bytes.clear();
  TRegularFile file = TRegularFile::Open(path, maxBytes);
  if (!file.IsOpen()) {
    error = file.Error();
    return false;
  }
  bytes.reserve(static_cast<std::size_t>(file.Size()));
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(file.Descriptor(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = path + ": cannot read it (" + SystemReason(errno) + ")";
      bytes.clear();
      return false;
    }
    if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
      error = path + ": larger than " + ByteSizeInWords(maxBytes) + ", the most this file may hold";
      bytes.clear();
      return false;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

}  // namespace halvane
