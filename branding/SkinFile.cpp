#include "branding/SkinFile.h"

#include <zlib.h>

#include <limits>
#include <stdexcept>

#include "branding/WorkingFiles.h"

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

std::string DecompressSkin(std::string_view packed) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  std::string out;
  char chunk[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    const std::size_t produced = sizeof chunk - stream.avail_out;
    if (out.size() + produced > kMaxSkinBytes) {
      status = Z_MEM_ERROR;
      break;
    }
    out.append(chunk, produced);
    if (status == Z_OK && produced == 0 && stream.avail_in == 0) break;  // truncated stream
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return {};
  return out;
}

void WriteSkinFile(const std::string& source, const std::string& destination) {
  const std::string packed = CompressSkin(ReadWholeFile(source));
  ReplaceFileThrough(destination, [&](const std::string& temporary) {
    WriteWholeFile(temporary, packed);
    return true;
  });
}

}  // namespace halvane
