#include "tables/TableText.h"

#include "base/Files.h"

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
  const std::string cache = XdgFolder("XDG_CACHE_HOME", ".cache");
  return cache.empty() ? cache : cache + "/halvane";
}

}  // namespace halvane::tables
