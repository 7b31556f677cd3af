#pragma once
#include <string>
#include <string_view>

#include "TStream.h"

namespace halvane {

// A growable byte buffer as a stream. Writing past the end extends it;
// seeking past the end and writing there fills the gap with zero bytes.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string data) : FData(std::move(data)) {}

  std::size_t Read(void* buffer, std::size_t size) override;
  void Write(const void* data, std::size_t size) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t size) override;

  const std::string& Data() const noexcept { return FData; }
  std::string_view View() const noexcept { return FData; }
  // Hands the bytes over and leaves the stream empty at position 0.
  std::string Take();
  void Clear();

 private:
  std::string FData;
  std::size_t FPosition = 0;
};

}  // namespace halvane
