// Build tool: packs a style sheet into the skin file format (CompressSkin)
// and emits it as a C++ source defining halvane::kBuiltInSkin and
// halvane::kBuiltInSkinSize.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "branding/SkinFile.h"

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
  std::string packed;
  try {
    packed = halvane::CompressSkin(sheet);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  const std::size_t packedSize = packed.size();
  std::ostringstream out;
  out << "// Generated from mainskin.qss; do not edit.\n#include <cstddef>\n\n"
      << "namespace halvane {\n\nextern const unsigned char kBuiltInSkin[];\n"
      << "extern const std::size_t kBuiltInSkinSize;\n\n"
      << "const unsigned char kBuiltInSkin[] = {";
  for (std::size_t i = 0; i < packedSize; ++i) {
    if (i % 16 == 0) out << "\n   ";
    out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(packed[i])) << ',';
  }
  out << "\n};\nconst std::size_t kBuiltInSkinSize = " << packedSize << ";\n\n}  // namespace halvane\n";
  std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
  file << out.str();
  return file ? 0 : 1;
}
