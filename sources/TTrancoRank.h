#pragma once
// The Traffic Rank column from a Tranco list (the run's rank lookup over
// tables::TTrancoList).
#include "liverun/TRankLookup.h"
#include "tables/TTrancoList.h"

namespace halvane::sources {

class TTrancoRank : public liverun::TRankLookup {
 public:
  explicit TTrancoRank(tables::TTrancoList list) : FList(std::move(list)) {}
  std::string Name() const override { return "Tranco"; }
  std::optional<std::uint32_t> Rank(std::string_view url) override;
  std::string Note() const override { return FList.Index().DamageReport(); }

 private:
  tables::TTrancoList FList;
};

}  // namespace halvane::sources
