// halvane-script: assembler, disassembler and runner of script images, and
// the embedded checksum script.
#include <iostream>

#include "script/ChecksumScript.h"
#include "tools/script/ScriptCommands.h"

namespace {

int UrlHash(const std::vector<std::string>& args) {
  bool old = false;
  std::size_t i = 2;
  if (i < args.size() && args[i] == "--old") {
    old = true;
    ++i;
  }
  if (i + 1 != args.size()) {
    std::cerr << halvane::kScriptToolUsage;
    return 2;
  }
  halvane::LoadChecksumScript();
  if (!halvane::ChecksumScriptLoaded()) {
    std::cerr << "halvane-script: the embedded checksum script did not load\n";
    return 1;
  }
  std::cout << halvane::ComputeUrlHash(args[i], old) << "\n";
  halvane::ReleaseChecksumScript();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (args.size() >= 2 && args[1] == "urlhash") return UrlHash(args);
  return halvane::RunCoreCommand(args, std::cout, std::cerr);
}
