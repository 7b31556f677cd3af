#include "tables/IndexWriter.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "tables/IndexFormat.h"
#include "tables/TTableError.h"

namespace halvane::tables {

namespace {

class TOutput {
 public:
  TOutput(std::string path) : FPath(std::move(path)), FFile(std::fopen(FPath.c_str(), "wbx")) {
    if (!FFile) Fail("cannot create");
    std::setvbuf(FFile, nullptr, _IOFBF, 1 << 20);
  }
  ~TOutput() {
    if (FFile) {
      std::fclose(FFile);
      std::remove(FPath.c_str());
    }
  }
  void Write(const void* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, FFile) != size) Fail("cannot write");
  }
  void Rewind() {
    if (std::fseek(FFile, 0, SEEK_SET) != 0) Fail("cannot write");
  }
  // Closes and renames the file to target; afterwards nothing is removed.
  void Commit(const std::string& target) {
    std::FILE* file = FFile;
    FFile = nullptr;
    if (std::fclose(file) != 0) {
      std::remove(FPath.c_str());
      throw TTableError("cannot write " + FPath + ": " + std::strerror(errno));
    }
    if (std::rename(FPath.c_str(), target.c_str()) != 0) {
      const int error = errno;
      std::remove(FPath.c_str());
      throw TTableError("cannot write " + target + ": " + std::strerror(error));
    }
  }

 private:
  [[noreturn]] void Fail(const char* what) {
    throw TTableError(std::string(what) + " " + FPath + ": " + std::strerror(errno));
  }
  std::string FPath;
  std::FILE* FFile;
};

}  // namespace

void WriteIndex(const std::string& path, const TEntryList& entries, const TSourceIdentity& source, TTableKind kind) {
  if (source.Path.size() > kMaxIndexedPath) throw TTableError("cannot index " + source.Path + ": path too long");
  // First pass: where each block starts, and its fence (first domain).
  std::vector<std::size_t> blockStarts;
  std::vector<std::uint32_t> fenceEnds;
  std::string fenceKeys;
  std::size_t used = kBlockSize;  // forces a first block
  for (std::size_t i = 0; i < entries.Size(); ++i) {
    const std::size_t size = 2 + 1 + entries.At(i).Length + 4;  // offset, length, domain, value
    if (used + size > kBlockSize) {
      blockStarts.push_back(i);
      fenceKeys.append(entries.Domain(entries.At(i)));
      if (fenceKeys.size() > UINT32_MAX) throw TTableError("cannot index " + source.Path + ": too many domains");
      fenceEnds.push_back(static_cast<std::uint32_t>(fenceKeys.size()));
      used = 2;
    }
    used += size;
  }
  if (blockStarts.size() > UINT32_MAX / kBlockSize) throw TTableError("cannot index " + source.Path + ": too many domains");
  blockStarts.push_back(entries.Size());

  THeader header{};
  std::memcpy(header.Magic, kIndexMagic, sizeof header.Magic);
  header.Version = kIndexVersion;
  header.Kind = static_cast<std::uint32_t>(kind);
  header.SourceSize = source.Size;
  header.SourceMtimeNs = source.MtimeNs;
  header.Count = entries.Size();
  header.Blocks = static_cast<std::uint32_t>(fenceEnds.size());
  header.FenceKeysSize = static_cast<std::uint32_t>(fenceKeys.size());
  header.PathSize = static_cast<std::uint32_t>(source.Path.size());
  const TIndexLayout layout(header);

  // Everything up to the blocks: written last, once the block sums are known.
  std::string head(static_cast<std::size_t>(layout.BlocksAt), '\0');
  std::memcpy(head.data() + sizeof header, source.Path.data(), source.Path.size());
  std::memcpy(head.data() + layout.FenceEndsAt, fenceEnds.data(), fenceEnds.size() * sizeof(std::uint32_t));
  std::memcpy(head.data() + layout.FenceKeysAt, fenceKeys.data(), fenceKeys.size());

  static std::atomic<unsigned> serial{0};
  TOutput out(path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(serial++));
  out.Write(head.data(), head.size());
  std::vector<unsigned char> block(kBlockSize);
  for (std::size_t b = 0; b + 1 < blockStarts.size(); ++b) {
    std::fill(block.begin(), block.end(), '\0');
    const std::size_t first = blockStarts[b];
    const auto count = static_cast<std::uint16_t>(blockStarts[b + 1] - first);
    std::memcpy(block.data(), &count, 2);
    std::size_t at = 2 + 2 * std::size_t{count};
    for (std::size_t i = first; i < blockStarts[b + 1]; ++i) {
      const std::string_view domain = entries.Domain(entries.At(i));
      const auto offset = static_cast<std::uint16_t>(at);
      std::memcpy(block.data() + 2 + 2 * (i - first), &offset, 2);
      block[at++] = static_cast<unsigned char>(domain.size());
      std::memcpy(block.data() + at, domain.data(), domain.size());
      at += domain.size();
      std::memcpy(block.data() + at, &entries.At(i).Value, 4);
      at += 4;
    }
    const std::uint64_t sum = BlockChecksum(block.data());
    std::memcpy(head.data() + layout.BlockSumsAt + 8 * b, &sum, 8);
    out.Write(block.data(), block.size());
  }
  std::memcpy(head.data(), &header, sizeof header);
  header.Checksum = IndexChecksum(head.data(), header);
  std::memcpy(head.data(), &header, sizeof header);
  out.Rewind();
  out.Write(head.data(), head.size());
  out.Commit(path);
}

}  // namespace halvane::tables
