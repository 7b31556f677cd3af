#pragma once
// The temporary page file: a file stream that refuses to grow beyond a
// limit, so a page without end cannot fill the disk.
#include <cstdint>
#include <string>

#include "net/TFileStream.h"

namespace halvane {

class TPageFile : public TFileStream {
 public:
  static constexpr std::int64_t kMaxPageBytes = 32 * 1024 * 1024;

  // Creates or empties the file; throws EStreamError when it cannot.
  explicit TPageFile(const std::string& path) : TFileStream(path, TFileMode::Create) {}

  void Write(const void* data, std::size_t size) override;

 private:
  std::int64_t FWritten = 0;
};

}  // namespace halvane
