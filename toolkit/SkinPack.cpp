// Build tool: packs a style sheet into the compressed skin format (zlib
// compress2 over the UTF-8 bytes) and emits it as a C++ source defining
// halvane::kBuiltInSkin and halvane::kBuiltInSkinSize.
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s style.qss output.cpp\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string sheet((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  uLongf packedSize = compressBound(static_cast<uLong>(sheet.size()));
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(sheet.data()),
                static_cast<uLong>(sheet.size()), Z_BEST_COMPRESSION) != Z_OK) {
    std::fprintf(stderr, "compression failed\n");
    return 1;
  }
  std::ostringstream out;
  out << "// Generated from mainskin.qss; do not edit.\n#include <cstddef>\n\n"
      << "namespace halvane {\n\nextern const unsigned char kBuiltInSkin[];\n"
      << "extern const std::size_t kBuiltInSkinSize;\n\n"
      << "const unsigned char kBuiltInSkin[] = {";
  for (uLongf i = 0; i < packedSize; ++i) {
    if (i % 16 == 0) out << "\n   ";
    out << ' ' << static_cast<unsigned>(packed[i]) << ',';
  }
  out << "\n};\nconst std::size_t kBuiltInSkinSize = " << packedSize << ";\n\n}  // namespace halvane\n";
  std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
  file << out.str();
  return file ? 0 : 1;
}
