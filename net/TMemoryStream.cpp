#include "TMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace halvane {

std::size_t TMemoryStream::Read(void* buffer, std::size_t size) {
  if (FPosition >= FData.size()) return 0;
  const std::size_t n = std::min(size, FData.size() - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, n);
  FPosition += n;
  return n;
}

void TMemoryStream::Write(const void* data, std::size_t size) {
  if (size == 0) return;
  if (size > FData.max_size() - FPosition) throw EStreamError("memory stream too large");
  if (FPosition + size > FData.size()) FData.resize(FPosition + size);
  std::memcpy(FData.data() + FPosition, data, size);
  FPosition += size;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = static_cast<std::int64_t>(FPosition);
  if (origin == TSeekOrigin::End) base = static_cast<std::int64_t>(FData.size());
  if ((offset < 0 && base + offset < 0) ||
      (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset)) {
    throw EStreamError("seek outside the memory stream");
  }
  FPosition = static_cast<std::size_t>(base + offset);
  return static_cast<std::int64_t>(FPosition);
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("negative stream size");
  FData.resize(static_cast<std::size_t>(size));
  FPosition = std::min(FPosition, FData.size());
}

std::string TMemoryStream::Take() {
  FPosition = 0;
  return std::exchange(FData, {});
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

}  // namespace halvane
