#include "TFileStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace halvane {

TFileStream::TFileStream(const std::string& path, TFileMode mode) : FPath(path) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case TFileMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case TFileMode::OpenRead: flags |= O_RDONLY; break;
    case TFileMode::OpenWrite: flags |= O_RDWR; break;
    case TFileMode::Append: flags |= O_RDWR | O_CREAT | O_APPEND; break;
  }
  FFd = ::open(path.c_str(), flags, 0666);
  if (FFd < 0) Fail("cannot open");
}

TFileStream::~TFileStream() { Close(); }

void TFileStream::Close() {
  if (FFd >= 0) {
    ::close(FFd);
    FFd = -1;
  }
}

void TFileStream::Fail(const char* operation) const {
  throw EStreamError(std::string(operation) + " " + FPath + ": " +
                     (FFd < 0 && errno == 0 ? "file closed" : std::strerror(errno)));
}

std::size_t TFileStream::Read(void* buffer, std::size_t size) {
  if (FFd < 0) {
    errno = EBADF;
    Fail("cannot read");
  }
  for (;;) {
    const ssize_t n = ::read(FFd, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) Fail("cannot read");
  }
}

void TFileStream::Write(const void* data, std::size_t size) {
  if (FFd < 0) {
    errno = EBADF;
    Fail("cannot write");
  }
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(FFd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write");
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
  const off_t position = FFd < 0 ? -1 : ::lseek(FFd, static_cast<off_t>(offset), whence);
  if (position < 0) {
    if (FFd < 0) errno = EBADF;
    Fail("cannot seek in");
  }
  return position;
}

void TFileStream::SetSize(std::int64_t size) {
  if (FFd < 0 || size < 0 || ::ftruncate(FFd, static_cast<off_t>(size)) != 0) {
    if (FFd < 0) errno = EBADF;
    if (size < 0) errno = EINVAL;
    Fail("cannot resize");
  }
}

}  // namespace halvane
