#include "TMultipartBody.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace halvane {

namespace {

constexpr std::string_view kDisposition = "Content-Disposition: form-data; name=";

}  // namespace

std::string TMultipartBody::MakeBoundary(const std::tm& local, int milliseconds) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%02d%02d%02d%02d%02d%02d%03d", (local.tm_mon + 1) % 100,
                local.tm_mday % 100, local.tm_year % 100, local.tm_hour % 100, local.tm_min % 100,
                local.tm_sec % 100, milliseconds % 1000);
  return std::string(8, '-') + digits;
}

TMultipartBody::TMultipartBody() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  boundary_ = MakeBoundary(local, static_cast<int>(millis));
  contentType_ = "multipart/form-data; boundary=" + boundary_;
}

TMultipartBody::TMultipartBody(std::string boundary)
    : boundary_(std::move(boundary)), contentType_("multipart/form-data; boundary=" + boundary_) {}

void TMultipartBody::AddField(std::string_view name, std::string_view value) {
  TFormField field{std::string(name), std::string(value), 0};
  field.partLength = static_cast<std::int64_t>(boundary_.size() + 49 + name.size() + value.size());
  size_ += field.partLength;
  fields_.push_back(std::move(field));
}

std::string TMultipartBody::ComposePart(const TFormField& field) const {
  std::string part;
  part.reserve(static_cast<std::size_t>(field.partLength));
  part.append("--").append(boundary_).append("\r\n");
  part.append(kDisposition).append("\"").append(field.name).append("\"\r\n");
  part.append("\r\n");
  part.append(field.value).append("\r\n");
  return part;
}

std::string TMultipartBody::ClosingDelimiter() const { return "\r\n--" + boundary_ + "--\r\n"; }

std::int64_t TMultipartBody::TotalLength() const noexcept {
  return size_ + static_cast<std::int64_t>(boundary_.size() + 8);
}

std::size_t TMultipartBody::Read(void* buffer, std::size_t size) {
  if (!started_) {
    started_ = true;
    nextField_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    // A body without fields is its closing delimiter alone, as its length says.
    if (fields_.empty()) {
      pending_ = ClosingDelimiter();
      nextField_ = 1;
    }
  }
  char* out = static_cast<char*>(buffer);
  std::size_t copied = 0;
  while (copied < size && (nextField_ < fields_.size() || pendingOffset_ < pending_.size())) {
    if (pendingOffset_ >= pending_.size()) {
      pending_ = ComposePart(fields_[nextField_]);
      pendingOffset_ = 0;
      ++nextField_;
    }
    const std::size_t n = std::min(size - copied, pending_.size() - pendingOffset_);
    std::memcpy(out + copied, pending_.data() + pendingOffset_, n);
    copied += n;
    pendingOffset_ += n;
    position_ += static_cast<std::int64_t>(n);
    if (nextField_ == fields_.size()) {
      pending_.erase(0, pendingOffset_);
      pendingOffset_ = 0;
      pending_ += ClosingDelimiter();
      ++nextField_;
    }
  }
  return copied;
}

void TMultipartBody::Write(const void*, std::size_t) { throw EStreamError("Unsupported operation."); }

std::int64_t TMultipartBody::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::Beginning && offset == 0) {
    started_ = false;
    position_ = 0;
    return 0;
  }
  if (origin == TSeekOrigin::End) return TotalLength();
  return position_;
}

}  // namespace halvane
