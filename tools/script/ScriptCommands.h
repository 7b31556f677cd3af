#pragma once
// The subcommands of halvane-script that need only the machine core: asm,
// disasm and exec. Each returns the process exit status.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace halvane {

// Usage text of the four subcommands.
extern const char kScriptToolUsage[];

int AsmCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int DisasmCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ExecCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

// Runs asm, disasm or exec from argv[1]; 2 with the usage for anything else.
// Never throws: a failure is a message on err and exit status 1.
int RunCoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The tool reads only regular files of at most this size.
inline constexpr std::size_t kMaxToolInput = 16 << 20;
// A run of exec ends after this many jumps, calls and returns unless
// --max-instructions says otherwise: every loop takes them, and the checksum
// script needs a few thousand for a long address.
inline constexpr std::uint64_t kDefaultMaxBranches = 100'000'000;

// Reads a regular file of at most kMaxToolInput bytes; otherwise, or when it
// cannot be read, false with the reason in why.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& why);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace halvane
