#include "tables/IndexWriter.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
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
  void Pad(std::uint64_t size) {
    static constexpr char kZeros[8] = {};
    Write(kZeros, static_cast<std::size_t>(Padded8(size) - size));
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
  std::vector<std::uint32_t> buckets(kBuckets + 1, 0);
  std::uint64_t keysSize = 0;
  for (std::size_t i = 0; i < entries.Size(); ++i) {
    const std::string_view domain = entries.Domain(entries.At(i));
    ++buckets[BucketOf(domain) + 1];
    keysSize += domain.size();
  }
  if (keysSize > UINT32_MAX) throw TTableError("cannot index " + source.Path + ": too many domains");
  for (std::size_t b = 1; b <= kBuckets; ++b) buckets[b] += buckets[b - 1];

  THeader header{};
  std::memcpy(header.Magic, kIndexMagic, sizeof header.Magic);
  header.Version = kIndexVersion;
  header.Kind = static_cast<std::uint32_t>(kind);
  header.SourceSize = source.Size;
  header.SourceMtimeNs = source.MtimeNs;
  header.Count = entries.Size();
  header.KeysSize = keysSize;
  header.PathSize = static_cast<std::uint32_t>(source.Path.size());
  const std::string_view bucketBytes(reinterpret_cast<const char*>(buckets.data()), buckets.size() * sizeof(std::uint32_t));
  header.Checksum = Fnv1a(bucketBytes, Fnv1a(source.Path, Fnv1a(std::string_view(reinterpret_cast<const char*>(&header),
                                                                                  offsetof(THeader, Checksum)))));

  static std::atomic<unsigned> serial{0};
  TOutput out(path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(serial++));
  out.Write(&header, sizeof header);
  out.Write(source.Path.data(), source.Path.size());
  out.Pad(source.Path.size());
  out.Write(bucketBytes.data(), bucketBytes.size());
  out.Pad(bucketBytes.size());
  std::uint32_t keyEnd = 0;
  for (std::size_t i = 0; i < entries.Size(); ++i) {
    const TEntryList::TEntry& entry = entries.At(i);
    keyEnd += entry.Length;
    const TRecord record{keyEnd, entry.Value};
    out.Write(&record, sizeof record);
  }
  for (std::size_t i = 0; i < entries.Size(); ++i) {
    const std::string_view domain = entries.Domain(entries.At(i));
    out.Write(domain.data(), domain.size());
  }
  out.Commit(path);
}

}  // namespace halvane::tables
