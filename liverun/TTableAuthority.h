#pragma once
// The Authority column from an offline authority table, answered at once.
#include "liverun/TAuthorityLookup.h"
#include "tables/TAuthorityTable.h"

namespace halvane::liverun {

class TTableAuthority : public TAuthorityLookup {
 public:
  explicit TTableAuthority(tables::TAuthorityTable table) : FTable(std::move(table)) {}
  std::string Name() const override { return "authority table"; }
  std::size_t MaxBatch() const override { return 1000; }
  void Lookup(std::vector<std::string> domains, TDone done) override;

 private:
  tables::TAuthorityTable FTable;
};

}  // namespace halvane::liverun
