#pragma once
// The Authority column from an offline authority table, answered at once
// (the run's authority lookup over tables::TAuthorityTable).
#include "liverun/TAuthorityLookup.h"
#include "tables/TAuthorityTable.h"

namespace halvane::sources {

class TTableAuthority : public liverun::TAuthorityLookup {
 public:
  explicit TTableAuthority(tables::TAuthorityTable table) : FTable(std::move(table)) {}
  std::string Name() const override { return "authority table"; }
  std::size_t MaxBatch() const override { return 1000; }
  // A table lists hosts as well as domains ("www.facebook.com"): it is
  // asked by host, and looks the host up, then its registrable domain, then
  // "www." and that domain.
  std::string NameOf(std::string_view url) const override;
  void Lookup(std::vector<std::string> hosts, TDone done) override;

 private:
  tables::TAuthorityTable FTable;
};

}  // namespace halvane::sources
