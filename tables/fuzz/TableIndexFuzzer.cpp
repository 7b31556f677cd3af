// Arbitrary bytes as an index file. The header checksum is patched in (when
// the bytes are long enough to hold what it covers) and the table's identity
// taken from the header, so that the fuzzer gets past the opening checks to
// the fences and blocks, which lookups check as they read them.
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
