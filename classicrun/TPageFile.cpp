#include "classicrun/TPageFile.h"

namespace halvane {

void TPageFile::Write(const void* data, std::size_t size) {
  if (FWritten + static_cast<std::int64_t>(size) > kMaxPageBytes) throw EStreamError("page too large");
  TFileStream::Write(data, size);
  FWritten += static_cast<std::int64_t>(size);
}

}  // namespace halvane
