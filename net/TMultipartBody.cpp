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
  FBoundary = MakeBoundary(local, static_cast<int>(millis));
  FContentType = "multipart/form-data; boundary=" + FBoundary;
}

TMultipartBody::TMultipartBody(std::string boundary)
    : FBoundary(std::move(boundary)), FContentType("multipart/form-data; boundary=" + FBoundary) {}

void TMultipartBody::AddField(std::string_view name, std::string_view value) {
  TFormField field{std::string(name), std::string(value), 0};
  field.partLength = static_cast<std::int64_t>(FBoundary.size() + 49 + name.size() + value.size());
  FSize += field.partLength;
  FFields.push_back(std::move(field));
}

std::string TMultipartBody::ComposePart(const TFormField& field) const {
  std::string part;
  part.reserve(static_cast<std::size_t>(field.partLength));
  part.append("--").append(FBoundary).append("\r\n");
  part.append(kDisposition).append("\"").append(field.name).append("\"\r\n");
  part.append("\r\n");
  part.append(field.value).append("\r\n");
  return part;
}

std::string TMultipartBody::ClosingDelimiter() const { return "\r\n--" + FBoundary + "--\r\n"; }

std::int64_t TMultipartBody::TotalLength() const noexcept {
  return FSize + static_cast<std::int64_t>(FBoundary.size() + 8);
}

std::size_t TMultipartBody::Read(void* buffer, std::size_t size) {
  if (!FStarted) {
    FStarted = true;
    FNextField = 0;
    FPending.clear();
    FPendingOffset = 0;
    // A body without fields is its closing delimiter alone, as its length says.
    if (FFields.empty()) {
      FPending = ClosingDelimiter();
      FNextField = 1;
    }
  }
  char* out = static_cast<char*>(buffer);
  std::size_t copied = 0;
  while (copied < size && (FNextField < FFields.size() || FPendingOffset < FPending.size())) {
    if (FPendingOffset >= FPending.size()) {
      FPending = ComposePart(FFields[FNextField]);
      FPendingOffset = 0;
      ++FNextField;
    }
    const std::size_t n = std::min(size - copied, FPending.size() - FPendingOffset);
    std::memcpy(out + copied, FPending.data() + FPendingOffset, n);
    copied += n;
    FPendingOffset += n;
    FPosition += static_cast<std::int64_t>(n);
    if (FNextField == FFields.size()) {
      FPending.erase(0, FPendingOffset);
      FPendingOffset = 0;
      FPending += ClosingDelimiter();
      ++FNextField;
    }
  }
  return copied;
}

void TMultipartBody::Write(const void*, std::size_t) { throw EStreamError("Unsupported operation."); }

std::int64_t TMultipartBody::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::Beginning && offset == 0) {
    FStarted = false;
    FPosition = 0;
    return 0;
  }
  if (origin == TSeekOrigin::End) return TotalLength();
  return FPosition;
}

}  // namespace halvane
