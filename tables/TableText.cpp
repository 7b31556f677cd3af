#include "tables/TableText.h"

#include <cstdlib>

namespace halvane::tables {

std::string GroupThousands(std::uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string DefaultCacheDir() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/halvane";
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + "/.cache/halvane";
  return {};
}

}  // namespace halvane::tables
