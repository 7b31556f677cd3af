#include "SkinFile.h"

#include <zlib.h>

#include <limits>
#include <stdexcept>

#include "WorkingFiles.h"

namespace halvane {

std::string CompressSkin(std::string_view styleSheet) {
  if (styleSheet.size() > std::numeric_limits<uLong>::max() / 2) throw std::length_error("style sheet too large");
  uLongf length = compressBound(static_cast<uLong>(styleSheet.size()));
  std::string packed(length, '\0');
  const int result = compress2(reinterpret_cast<Bytef*>(packed.data()), &length,
                               reinterpret_cast<const Bytef*>(styleSheet.data()),
                               static_cast<uLong>(styleSheet.size()), Z_BEST_COMPRESSION);
  if (result != Z_OK) throw std::runtime_error("compression failed");
  packed.resize(length);
  return packed;
}

void WriteSkinFile(const std::string& source, const std::string& destination) {
  const std::string packed = CompressSkin(ReadWholeFile(source));
  ReplaceFileThrough(destination, [&](const std::string& temporary) {
    WriteWholeFile(temporary, packed);
    return true;
  });
}

}  // namespace halvane
