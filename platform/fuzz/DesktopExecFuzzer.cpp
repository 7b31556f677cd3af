// The Exec parser over hostile bytes: the first byte splits the input into
// the Exec value and the address; the address must come out as one whole
// argument exactly once when the line names it once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Browser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = std::min<std::size_t>(data[0], all.size());
  const std::string_view exec = all.substr(0, cut);
  const std::string_view address = all.substr(cut);
  const halvane::platform::TDesktopEntryInfo entry{"icon", "Name", "/x.desktop"};
  const auto arguments = halvane::platform::DesktopExecArguments(exec, address, entry);
  std::size_t bytes = 0;
  for (const auto& a : arguments) bytes += a.size();
  // Every expansion is bounded by the line's length times the longest value.
  if (bytes > (exec.size() + 1) * (address.size() + 16)) std::abort();
  (void)halvane::platform::ProgramFromDesktopExec(exec);
  return 0;
}
