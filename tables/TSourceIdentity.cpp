#include "tables/TSourceIdentity.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/RegularFile.h"
#include "tables/TTableError.h"
#include "tables/TableSource.h"

namespace halvane::tables {

using halvane::TRegularFile;

TSourceIdentity TSourceIdentity::Of(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    throw TTableError("cannot read " + path + ": " + std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    // Says what it is instead ("a FIFO", "a folder").
    const TRegularFile file = TRegularFile::Open(path, kMaxTableFile);
    throw TTableError(file.IsOpen() ? "cannot read " + path + ": not a file" : file.Error());
  }
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) {
    throw TTableError("cannot read " + path + ": " + std::strerror(errno));
  }
  TSourceIdentity identity;
  identity.Path = resolved;
  identity.Size = static_cast<std::uint64_t>(st.st_size);
  identity.MtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return identity;
}

}  // namespace halvane::tables
