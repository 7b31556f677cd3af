#include "TStream.h"

namespace halvane {

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, TSeekOrigin::Current);
  const std::int64_t size = Seek(0, TSeekOrigin::End);
  Seek(position, TSeekOrigin::Beginning);
  return size;
}

void TStream::SetSize(std::int64_t) { throw EStreamError("Unsupported operation."); }

}  // namespace halvane
