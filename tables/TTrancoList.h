#pragma once
// The Tranco list: a domain's traffic rank (1 is the most visited). Usage:
//   auto list = TTrancoList::Open(path, DefaultCacheDir());  // CSV or zip
//   list.Lookup("www.blog.example.co.uk", "example.co.uk")
//                                  -> rank of example.co.uk, else of the host
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
  static TTrancoList Open(const std::string& path, const std::string& cacheDir,
                              TTableIndex::TCheck check = TTableIndex::TCheck::Head);

  // The rank of domain exactly as listed (case aside).
  std::optional<std::uint32_t> Find(std::string_view domain) const;
  // The rank shown for a page on host: its registrable domain's (found by
  // the caller; "" when it has none, e.g. an address), and when that is not
  // listed the host's.
  std::optional<std::uint32_t> Lookup(std::string_view host, std::string_view registrableDomain) const;
  // Lookup with the registrable domain found by the public suffix list.
  std::optional<std::uint32_t> FindForHost(std::string_view host) const;

  const TTableIndex& Index() const { return FIndex; }

 private:
  explicit TTrancoList(TTableIndex index) : FIndex(std::move(index)) {}
  TTableIndex FIndex;
};

}  // namespace halvane::tables
