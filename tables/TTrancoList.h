#pragma once
// The Tranco list: a domain's traffic rank (1 is the most visited). Usage:
//   auto list = TTrancoList::Open(path, DefaultCacheDir());  // CSV or zip
//   list.FindForHost("www.blog.example.co.uk")  -> rank of example.co.uk,
//                                                 else of the host itself
//   GroupThousands(*rank)                        -> "12,345"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tables/TTableIndex.h"

namespace halvane::tables {

class TTrancoList {
 public:
  // Throws TTableError (see TTableIndex::Open).
  static TTrancoList Open(const std::string& path, const std::string& cacheDir);

  // The rank of domain exactly as listed (case aside).
  std::optional<std::uint32_t> Find(std::string_view domain) const;
  // The rank shown for a page on host: its registrable domain's, and when
  // that is not listed (or the host has none, e.g. an address) the host's.
  std::optional<std::uint32_t> FindForHost(std::string_view host) const;

  const TTableIndex& Index() const { return FIndex; }

 private:
  explicit TTrancoList(TTableIndex index) : FIndex(std::move(index)) {}
  TTableIndex FIndex;
};

}  // namespace halvane::tables
