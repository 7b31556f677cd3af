#pragma once
// A file the program reads from outside: opened without blocking, so a FIFO,
// a terminal or a device can never make it wait, and kept only when it is a
// regular file of a bounded size. Every refusal names the file and the
// reason, in words a user can act on.
#include <cstdint>
#include <string>

namespace halvane {

class TRegularFile {
 public:
  // Opens path read-only; on refusal IsOpen() is false and Error() says why
  // ("/tmp/x: not a regular file (a FIFO)", "...: larger than 16 MB").
  static TRegularFile Open(const std::string& path, std::uint64_t maxBytes);

  TRegularFile() = default;
  TRegularFile(TRegularFile&& other) noexcept;
  TRegularFile& operator=(TRegularFile&& other) noexcept;
  TRegularFile(const TRegularFile&) = delete;
  TRegularFile& operator=(const TRegularFile&) = delete;
  ~TRegularFile();

  bool IsOpen() const noexcept { return FDescriptor >= 0; }
  int Descriptor() const noexcept { return FDescriptor; }
  // The size seen when the file was opened.
  std::uint64_t Size() const noexcept { return FSize; }
  const std::string& Error() const noexcept { return FError; }
  // Hands the descriptor over; the caller closes it.
  int Release() noexcept;

 private:
  int FDescriptor = -1;
  std::uint64_t FSize = 0;
  std::string FError;
};

// Reads a whole regular file of at most maxBytes bytes. A file that grows
// past the bound while it is read is refused too.
bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes, std::string& error);

// "16 MB", "512 bytes": the bound in a refusal.
std::string ByteSizeInWords(std::uint64_t bytes);

}  // namespace halvane
