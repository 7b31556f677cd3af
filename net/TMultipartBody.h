#pragma once
// A multipart/form-data document of text fields, read through the stream
// interface by the HTTP client's Post. Parts are composed on demand, so only
// one part is held as pending bytes at a time.
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "TStream.h"

namespace halvane {

struct TFormField {
  std::string name;
  std::string value;
  std::int64_t partLength = 0;
};

class TMultipartBody : public TStream {
 public:
  // Takes its boundary from the local date and time.
  TMultipartBody();
  // With a boundary fixed by the caller (tests).
  explicit TMultipartBody(std::string boundary);

  // Eight hyphens and the fifteen digits MMDDYYhhmmsszzz of the given time.
  static std::string MakeBoundary(const std::tm& local, int milliseconds);

  void AddField(std::string_view name, std::string_view value);
  const std::string& ContentType() const noexcept { return FContentType; }
  const std::string& Boundary() const noexcept { return FBoundary; }
  const std::vector<TFormField>& Fields() const noexcept { return FFields; }

  std::size_t Read(void* buffer, std::size_t size) override;
  // Throws EStreamError "Unsupported operation.".
  void Write(const void* data, std::size_t size) override;
  // Only a rewind moves: (0, Beginning). Current and other offsets answer
  // the read position, End the total length.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return TotalLength(); }

  std::int64_t TotalLength() const noexcept;

 private:
  std::string ComposePart(const TFormField& field) const;
  std::string ClosingDelimiter() const;

  std::string FBoundary;
  std::string FContentType;
  std::vector<TFormField> FFields;
  std::int64_t FSize = 0;
  bool FStarted = false;
  std::size_t FNextField = 0;
  std::string FPending;
  std::size_t FPendingOffset = 0;
  std::int64_t FPosition = 0;
};

}  // namespace halvane
