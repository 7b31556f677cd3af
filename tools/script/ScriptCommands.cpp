#include "tools/script/ScriptCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "script/ScriptAssembler.h"
#include "script/ScriptDisassembler.h"
#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptImage.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptLoader.h"
#include "script/ScriptNatives.h"

namespace halvane {
namespace {

// Images the tool loads are the user's; keep their memory demand bounded.
constexpr std::int64_t kMaxToolMemory = 256 << 20;

bool ParseCell(const std::string& text, TCell& value) {
  std::string_view s = text;
  bool negative = false;
  if (!s.empty() && s[0] == '-') {
    negative = true;
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || magnitude > 0xFFFFFFFFull) return false;
  const std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  value = static_cast<TCell>(negative ? 0u - bits : bits);
  return true;
}

}  // namespace

const char kScriptToolUsage[] =
    "usage:\n"
    "  halvane-script asm SOURCE -o IMAGE [--compact] [--version 6|7]\n"
    "  halvane-script disasm IMAGE\n"
    "  halvane-script exec [--max-instructions N] IMAGE FUNCTION [ARG ...]\n"
    "  halvane-script urlhash [--old] TEXT\n";

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& why) {
  // Opened without blocking, so a FIFO cannot hold the tool; checked on the
  // open descriptor, so the file read is the file checked.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (!ok) {
    why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = "not a regular file";
    ok = false;
  } else if (static_cast<std::uint64_t>(info.st_size) > kMaxToolInput) {
    why = "larger than " + std::to_string(kMaxToolInput >> 20) + " MiB";
    ok = false;
  }
  bytes.clear();
  char buffer[65536];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      why = std::strerror(errno);
      ok = false;
    } else if (got == 0) {
      break;
    } else if (bytes.size() + static_cast<std::size_t>(got) > kMaxToolInput) {
      why = "larger than " + std::to_string(kMaxToolInput >> 20) + " MiB";  // it grew meanwhile
      ok = false;
    } else {
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int AsmCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  std::string source;
  std::string output;
  TAssembleOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (args[i] == "--compact") {
      options.Compact = true;
    } else if (args[i] == "--version" && i + 1 < args.size()) {
      const std::string& v = args[++i];
      if (v != "6" && v != "7") {
        err << "halvane-script: --version must be 6 or 7\n";
        return 2;
      }
      options.Version = v == "6" ? 6 : 7;
    } else if (source.empty() && !args[i].empty() && args[i][0] != '-') {
      source = args[i];
    } else {
      err << kScriptToolUsage;
      return 2;
    }
  }
  if (source.empty() || output.empty()) {
    err << kScriptToolUsage;
    return 2;
  }
  std::string text;
  std::string why;
  if (!ReadFileBytes(source, text, why)) {
    err << "halvane-script: cannot read " << source << ": " << why << "\n";
    return 1;
  }
  TAssembledScript script;
  if (!AssembleScript(text, options, script)) {
    err << source << ": " << script.Error << "\n";
    return 1;
  }
  if (!WriteFileBytes(output, std::string(script.Image.begin(), script.Image.end()))) {
    err << "halvane-script: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}

int DisasmCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << kScriptToolUsage;
    return 2;
  }
  std::string bytes;
  std::string why;
  if (!ReadFileBytes(args[0], bytes, why)) {
    err << "halvane-script: cannot read " << args[0] << ": " << why << "\n";
    return 1;
  }
  out << DisassembleScript(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  return 0;
}

int ExecCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::uint64_t maxBranches = kDefaultMaxBranches;
  if (args.size() >= 2 && args[0] == "--max-instructions") {
    const std::string& count = args[1];
    const auto [end, ec] = std::from_chars(count.data(), count.data() + count.size(), maxBranches);
    if (ec != std::errc() || end != count.data() + count.size() || maxBranches == 0) {
      err << "halvane-script: --max-instructions needs a positive count\n";
      return 2;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() < 2) {
    err << kScriptToolUsage;
    return 2;
  }
  std::string bytes;
  std::string why;
  if (!ReadFileBytes(args[0], bytes, why)) {
    err << "halvane-script: cannot read " << args[0] << ": " << why << "\n";
    return 1;
  }
  std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
  if (block.size() >= kScriptHeaderSize) {
    const TScriptHeader h = ReadScriptHeader(block.data());
    if (h.StackTop > 0 && h.StackTop <= kMaxToolMemory && static_cast<std::size_t>(h.StackTop) > block.size()) {
      block.resize(static_cast<std::size_t>(h.StackTop), 0);
    }
  }
  TScriptMachine machine;
  machine.BranchBudget = maxBranches;
  ScriptSetDebugHook(machine, ScriptDebugDecline);
  int rc = ScriptInit(machine, block.data(), block.size());
  if (rc == kScriptOk) ScriptCoreInit(machine);  // an unbound native shows in the run's code
  int index = 0;
  if (rc == kScriptOk && ScriptFindPublic(machine, args[1], index) != kScriptOk) {
    err << "halvane-script: no public function " << args[1] << "\n";
    rc = kScriptErrNotFound;
  }
  std::vector<TCell> cells;
  for (std::size_t i = 2; rc == kScriptOk && i < args.size(); ++i) {
    const std::string& arg = args[i];
    TCell value = 0;
    if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') {
      const std::string text = arg.substr(1, arg.size() - 2);
      TScriptCells reference;
      rc = ScriptAllot(machine, static_cast<int>(text.size()) + 1, value, reference);
      if (rc == kScriptOk) ScriptSetString(reference, text, false);
    } else if (!ParseCell(arg, value)) {
      err << "halvane-script: argument " << arg << " is neither an integer nor a quoted text\n";
      return 2;
    }
    cells.push_back(value);
  }
  TCell result = 0;
  if (rc == kScriptOk) rc = ScriptExecArray(machine, &result, index, static_cast<int>(cells.size()), cells.data());
  out << "rc=" << rc << " result=" << result << "\n";
  if (machine.BranchBudgetSpent) {
    err << "halvane-script: stopped after " << maxBranches
        << " jumps, calls and returns without ending (--max-instructions)\n";
  }
  return rc == kScriptOk ? 0 : 1;
}

int RunCoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2) {
    err << kScriptToolUsage;
    return 2;
  }
  const std::vector<std::string> rest(args.begin() + 2, args.end());
  try {
    if (args[1] == "asm") return AsmCommand(rest, out, err);
    if (args[1] == "disasm") return DisasmCommand(rest, out, err);
    if (args[1] == "exec") return ExecCommand(rest, out, err);
  } catch (const std::exception& e) {
    err << "halvane-script: " << e.what() << "\n";
    return 1;
  }
  err << kScriptToolUsage;
  return 2;
}

}  // namespace halvane
