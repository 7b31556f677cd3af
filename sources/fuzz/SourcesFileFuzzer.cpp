// A sources file of arbitrary bytes: refused with a message or read; what is
// read survives a rewrite unchanged, and the rewrite keeps the other lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sources/TSourcesFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  halvane::sources::TSources read;
  try {
    read = halvane::sources::TSourcesFile::Parse(text, "fuzz.ini");
  } catch (const halvane::sources::TSourcesFileError&) {
    return 0;
  }
  const std::string rewritten = halvane::sources::TSourcesFile::Render(text, read);
  const halvane::sources::TSources again = halvane::sources::TSourcesFile::Parse(rewritten, "fuzz.ini");
  if (halvane::sources::TSourcesFile::Render("", again) != halvane::sources::TSourcesFile::Render("", read)) {
    std::abort();
  }
  return 0;
}
