// The build-time assembler: besides asm, disasm and exec it embeds an
// assembled, enciphered image as C++ source:
//   halvane-script-bootstrap embed SOURCE OUTPUT.cpp KEY SIZE
#include <iomanip>
#include <iostream>
#include <sstream>

#include "script/ScriptAssembler.h"
#include "script/ScriptCipher.h"
#include "tools/script/ScriptCommands.h"

namespace {

int Embed(const std::vector<std::string>& args) {
  if (args.size() != 6) {
    std::cerr << "usage: halvane-script-bootstrap embed SOURCE OUTPUT.cpp KEY SIZE\n";
    return 2;
  }
  const std::string& key = args[4];
  const std::size_t size = std::stoul(args[5]);
  std::string source;
  std::string why;
  if (!halvane::ReadFileBytes(args[2], source, why)) {
    std::cerr << "cannot read " << args[2] << ": " << why << "\n";
    return 1;
  }
  halvane::TAssembledScript script;
  if (!halvane::AssembleScript(source, {}, script)) {
    std::cerr << args[2] << ": " << script.Error << "\n";
    return 1;
  }
  std::string enciphered;
  halvane::EncipherImage(std::string(script.Image.begin(), script.Image.end()), key, enciphered);
  if (enciphered.size() > size) {
    std::cerr << args[2] << ": the image takes " << script.Image.size() << " bytes, more than " << size << "\n";
    return 1;
  }
  enciphered.resize(size, '\0');
  std::ostringstream cpp;
  cpp << "// Generated from " << args[2] << " by halvane-script-bootstrap; do not edit.\n"
      << "// The image itself takes " << script.Image.size() << " bytes.\n"
      << "#include \"EmbeddedScriptImage.h\"\n\nnamespace halvane {\n\n"
      << "const std::array<std::uint8_t, kEncipheredScriptImageSize> EncipheredScriptImage = {{";
  for (std::size_t i = 0; i < enciphered.size(); ++i) {
    cpp << (i % 12 == 0 ? "\n   " : "") << " 0x" << std::hex << std::setw(2) << std::setfill('0')
        << static_cast<unsigned>(static_cast<unsigned char>(enciphered[i])) << ",";
  }
  cpp << std::dec << "\n}};\n\nconst char ScriptImageKey[17] = \"" << key << "\";\n\n}  // namespace halvane\n";
  if (!halvane::WriteFileBytes(args[3], cpp.str())) {
    std::cerr << "cannot write " << args[3] << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (args.size() >= 2 && args[1] == "embed") return Embed(args);
  return halvane::RunCoreCommand(args, std::cout, std::cerr);
}
