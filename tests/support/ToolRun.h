#pragma once
// Runs a command-line tool as a user would and keeps what it printed.
#include <string>

namespace halvane::test {

struct TToolRun {
  int Status = -1;  // exit status, -1 when it did not exit normally
  std::string Out;
  std::string Err;
};

// commandLine goes to the shell; its standard output and error are caught
// in files of this process's own (ctest runs cases as parallel processes).
TToolRun RunTool(const std::string& commandLine);

// The whole content of a file, "" when it cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace halvane::test
