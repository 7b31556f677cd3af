#include "tools/fetch/TStdoutStream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace halvane {

void TStdoutStream::Write(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EStreamError(std::string("cannot write to standard output: ") + std::strerror(errno));
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
    written_ += n;
  }
}

}  // namespace halvane
