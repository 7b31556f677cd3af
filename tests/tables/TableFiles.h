#pragma once
// Files for the table tests: a temporary folder removed afterwards, and
// whole-file reads and writes.
#include <cstdint>
#include <string>
#include <string_view>

namespace halvane::tables::test {

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return FPath; }
  std::string operator/(std::string_view name) const { return FPath + "/" + std::string(name); }

 private:
  std::string FPath;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
// Writes a zip archive holding one file: line, times over (streamed, so a
// big one takes no memory).
void WriteRepeatedLineZip(const std::string& path, std::string_view line, std::uint64_t times);
// Where the broken tables live.
std::string DataFile(std::string_view name);

}  // namespace halvane::tables::test
