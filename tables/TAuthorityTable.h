#pragma once
// The offline authority table: a domain's authority 0..10. The tables list
// host names as well as registrable domains (www.facebook.com, not
// facebook.com), so a page's host is looked up as written, then its
// registrable domain, then "www." and the registrable domain. Usage:
//   auto table = TAuthorityTable::Open(path, DefaultCacheDir());  // may build the index
//   table.Lookup("blog.example.co.uk", "example.co.uk")
#include <optional>
#include <string>
#include <string_view>

#include "tables/TTableIndex.h"

namespace halvane::tables {

class TAuthorityTable {
 public:
  // Throws TTableError (see TTableIndex::Open); building the index of a
  // 10-million-line table takes seconds, so call it off the window's thread.
  static TAuthorityTable Open(const std::string& path, const std::string& cacheDir,
                                  TTableIndex::TCheck check = TTableIndex::TCheck::Head);

  // The authority of a domain exactly as the table lists it (case aside).
  std::optional<int> Find(std::string_view domain) const;
  // The authority shown for a page on host, whose registrable domain the
  // caller found ("" when it has none, as an address such as 127.0.0.2).
  std::optional<int> Lookup(std::string_view host, std::string_view registrableDomain) const;
  // Lookup with the registrable domain found by the public suffix list.
  std::optional<int> FindForHost(std::string_view host) const;

  const TTableIndex& Index() const { return FIndex; }

 private:
  explicit TAuthorityTable(TTableIndex index) : FIndex(std::move(index)) {}
  TTableIndex FIndex;
};

}  // namespace halvane::tables
