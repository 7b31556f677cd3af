#pragma once
#include <string>

#include "TStream.h"

namespace halvane {

enum class TFileMode {
  Create,     // create, or replace an existing file by an empty one; read and write
  OpenRead,   // an existing file, read only
  OpenWrite,  // an existing file, read and write, kept as it is
  Append,     // create when missing, keep the content, every write goes to the end
};

// A file as a byte stream. Other processes may open the same file meanwhile.
class TFileStream : public TStream {
 public:
  // Throws EStreamError when the file cannot be opened.
  TFileStream(const std::string& path, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t size) override;
  void Write(const void* data, std::size_t size) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;

  // Closes the file; later operations fail. Harmless when already closed.
  void Close();
  const std::string& Path() const noexcept { return FPath; }

 private:
  void Fail(const char* operation) const;

  std::string FPath;
  int FFd = -1;
};

}  // namespace halvane
