#pragma once
#include "net/TStream.h"

namespace halvane {

// Standard output as a write-only sink.
class TStdoutStream : public TStream {
 public:
  std::size_t Read(void*, std::size_t) override { return 0; }
  void Write(const void* data, std::size_t size) override;
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return written_; }

 private:
  std::int64_t written_ = 0;
};

}  // namespace halvane
