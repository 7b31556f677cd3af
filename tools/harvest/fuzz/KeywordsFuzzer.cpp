// Arbitrary bytes as a keywords file: no crash, no undefined behaviour, and
// every keyword is a trimmed, non-empty line that is no comment.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/harvest/HarvestArguments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t bytes = 0;
  for (const std::string& keyword : halvane::harvest::KeywordsFromText(text)) {
    if (keyword.empty() || keyword.front() == '#' || keyword.find('\n') != std::string::npos) std::abort();
    if (keyword.front() == ' ' || keyword.back() == ' ' || keyword.back() == '\r') std::abort();
    bytes += keyword.size();
  }
  if (bytes > size) std::abort();
  return 0;
}
