#pragma once
// Small helpers around the tables: how a rank is shown, where indexes live.
#include <cstdint>
#include <string>

namespace halvane::tables {

// 1234567 gives "1,234,567"; 999 gives "999".
std::string GroupThousands(std::uint64_t value);

// $XDG_CACHE_HOME/halvane, else $HOME/.cache/halvane (an absolute
// XDG_CACHE_HOME only, as the base directory rules say); "" without either.
std::string DefaultCacheDir();

}  // namespace halvane::tables
