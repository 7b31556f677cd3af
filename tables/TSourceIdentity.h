#pragma once
// What an index remembers of its table, to tell when it has to be rebuilt.
#include <cstdint>
#include <string>

namespace halvane::tables {

struct TSourceIdentity {
  std::string Path;  // absolute, links resolved
  std::uint64_t Size = 0;
  std::int64_t MtimeNs = 0;

  // Throws TTableError when path cannot be read.
  static TSourceIdentity Of(const std::string& path);
};

}  // namespace halvane::tables
