// Arbitrary bytes as an index file. The block sums and the header checksum
// are patched in (when the bytes are long enough to hold what they cover)
// and the table's identity taken from the header, so that the fuzzer gets
// past the opening checks and the sums to the fences and the blocks' insides.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tables/IndexFormat.h"
#include "tables/TMappedIndex.h"

namespace {

std::string TempPath() {
  return "/tmp/halvane_table_index_fuzzer." + std::to_string(getpid()) + ".idx";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane::tables;
  std::vector<char> bytes(data, data + size);
  TSourceIdentity source;
  TTableKind kind = TTableKind::Tranco;
  if (size >= sizeof(THeader)) {
    THeader header;
    std::memcpy(&header, bytes.data(), sizeof header);
    const TIndexLayout layout(header);
    if (header.PathSize <= kMaxIndexedPath && layout.BlocksAt <= size) {
      source.Path.assign(bytes.data() + sizeof(THeader), header.PathSize);
      for (std::uint64_t b = 0; b < header.Blocks && layout.BlocksAt + (b + 1) * kBlockSize <= size; ++b) {
        const std::uint64_t sum =
            BlockChecksum(reinterpret_cast<const unsigned char*>(bytes.data() + layout.BlocksAt + b * kBlockSize));
        std::memcpy(bytes.data() + layout.BlockSumsAt + 8 * b, &sum, 8);
      }
      header.Checksum = IndexChecksum(bytes.data(), header);
      std::memcpy(bytes.data() + offsetof(THeader, Checksum), &header.Checksum, sizeof header.Checksum);
    }
    source.Size = header.SourceSize;
    source.MtimeNs = header.SourceMtimeNs;
    kind = header.Kind == 1 ? TTableKind::Authority : TTableKind::Tranco;
  }
  const std::string path = TempPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  std::string problem;
  if (auto index = TMappedIndex::Open(path, source, kind, problem)) {
    static const char* const kProbes[] = {"a", "example.com", "zz", "m", "0", "-", "a.b.c.d.e"};
    for (const char* probe : kProbes) (void)index->Find(probe);
    // Probe with domains from the end of the file too, where the domains lie.
    for (std::size_t at = size > 300 ? size - 300 : 0; at + 12 <= size; at += 37) {
      (void)index->Find(std::string_view(bytes.data() + at, 12));
    }
  }
  std::remove(path.c_str());
  return 0;
}
