#include <iostream>
#include <string>
#include <vector>

#include "tools/brand/BrandTool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const int status = halvane::RunBrandTool(arguments, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : 1;
}
