#pragma once
// The offline authority table: a domain's authority 0..10, looked up by
// registrable domain. Usage:
//   auto table = TAuthorityTable::Open(path, DefaultCacheDir());  // may build the index
//   table.FindForHost("www.blog.example.co.uk")  -> authority of example.co.uk
#include <optional>
#include <string>
#include <string_view>

#include "tables/TTableIndex.h"

namespace halvane::tables {

class TAuthorityTable {
 public:
  // Throws TTableError (see TTableIndex::Open); building the index of a
  // 10-million-line table takes seconds, so call it off the window's thread.
  static TAuthorityTable Open(const std::string& path, const std::string& cacheDir);

  // The authority of a registrable domain as the table lists it.
  std::optional<int> Find(std::string_view registrableDomain) const;
  // The authority of the registrable domain of host (authority is
  // domain-level); a host without one (an address such as 127.0.0.2, or a
  // bare public suffix) is looked up as it is.
  std::optional<int> FindForHost(std::string_view host) const;

  const TTableIndex& Index() const { return FIndex; }

 private:
  explicit TAuthorityTable(TTableIndex index) : FIndex(std::move(index)) {}
  TTableIndex FIndex;
};

}  // namespace halvane::tables
