#pragma once
// Byte streams: the sink of THttpClient::Get and the body of Post.
#include <cstddef>
#include <cstdint>

#include "EStreamError.h"

namespace halvane {

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Copies up to size next bytes into buffer; returns how many (0 at the end).
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
  // Writes all size bytes at the position; throws EStreamError on failure.
  virtual void Write(const void* data, std::size_t size) = 0;
  // Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  // The stream's length in bytes.
  virtual std::int64_t Size();
  // Cuts or extends the stream to size bytes; streams that cannot throw.
  virtual void SetSize(std::int64_t size);

  std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
};

}  // namespace halvane

// The concrete streams come with the base, so one include serves a caller.
#include "TFileStream.h"
#include "TMemoryStream.h"
