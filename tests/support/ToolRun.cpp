#include "tests/support/ToolRun.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace halvane::test {

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TToolRun RunTool(const std::string& commandLine) {
  const std::string stem = (std::filesystem::temp_directory_path() / "halvane_tool_").string() + std::to_string(::getpid());
  const std::string out = stem + ".out";
  const std::string err = stem + ".err";
  const int rc = std::system((commandLine + " >" + out + " 2>" + err).c_str());
  TToolRun run{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFileText(out), ReadFileText(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return run;
}

}  // namespace halvane::test
