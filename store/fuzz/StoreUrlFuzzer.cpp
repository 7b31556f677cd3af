// Feeds arbitrary bytes to the reader that takes the password out of a
// PostgreSQL URL before a message shows it: no crash, no undefined
// behaviour, nothing added, and no password left in the user part.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/StoreLocation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string shown = halvane::store::WithoutPassword(text);
  if (shown.size() > text.size()) std::abort();
  (void)halvane::store::IsPostgresUrl(text);
  const std::size_t scheme = shown.find("://");
  if (scheme == std::string::npos) return 0;
  const std::string_view rest = std::string_view(shown).substr(scheme + 3);
  const std::string_view beforeQuery = rest.substr(0, rest.find('?'));
  const std::size_t at = beforeQuery.rfind('@');
  if (at != std::string_view::npos && beforeQuery.substr(0, at).find(':') != std::string_view::npos) std::abort();
  return 0;
}
