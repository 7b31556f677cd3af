#pragma once
// The subcommands of halvane-script that need only the machine core: asm,
// disasm and exec. Each returns the process exit status.
#include <ostream>
#include <string>
#include <vector>

namespace halvane {

// Usage text of the four subcommands.
extern const char kScriptToolUsage[];

int AsmCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int DisasmCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ExecCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Runs asm, disasm or exec from argv[1]; 2 with the usage for anything else.
int RunCoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace halvane
