#include "TMemoryStream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace halvane {

std::size_t TMemoryStream::Read(void* buffer, std::size_t size) {
  if (position_ >= data_.size()) return 0;
  const std::size_t n = std::min(size, data_.size() - position_);
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

void TMemoryStream::Write(const void* data, std::size_t size) {
  if (size == 0) return;
  if (size > data_.max_size() - position_) throw EStreamError("memory stream too large");
  if (position_ + size > data_.size()) data_.resize(position_ + size);
  std::memcpy(data_.data() + position_, data, size);
  position_ += size;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = static_cast<std::int64_t>(position_);
  if (origin == TSeekOrigin::End) base = static_cast<std::int64_t>(data_.size());
  if ((offset < 0 && base + offset < 0) ||
      (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset)) {
    throw EStreamError("seek outside the memory stream");
  }
  position_ = static_cast<std::size_t>(base + offset);
  return static_cast<std::int64_t>(position_);
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("negative stream size");
  data_.resize(static_cast<std::size_t>(size));
  position_ = std::min(position_, data_.size());
}

std::string TMemoryStream::Take() {
  position_ = 0;
  return std::exchange(data_, {});
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

}  // namespace halvane
