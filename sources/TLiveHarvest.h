#pragma once
// The harvest rules of live search: http and https addresses only, none on
// the engine's own host, each address once without regard to letter case
// (the first spelling kept), in order of discovery, up to a limit.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "search/THarvestedUrls.h"

namespace halvane::sources {

class TLiveHarvest {
 public:
  // Longer addresses are dropped: no page a link builder wants has one.
  static constexpr std::size_t kMaxAddressBytes = 4096;

  // engineUrl: any address on the engine's host; maxAddresses: the limit.
  TLiveHarvest(std::string_view engineUrl, std::size_t maxAddresses);

  // Adds what the rules keep; returns how many addresses were new.
  std::size_t Add(const std::vector<std::string>& urls);
  bool Full() const noexcept { return FUrls.Size() >= FMax; }
  std::size_t Size() const noexcept { return FUrls.Size(); }
  const std::vector<std::string>& Addresses() const noexcept { return FUrls.Items(); }

  // Whether url is one the rules keep (scheme, host, bytes), apart from duplicates.
  bool Acceptable(std::string_view url) const;

 private:
  std::string FEngineHost;
  std::size_t FMax;
  THarvestedUrls FUrls;
};

}  // namespace halvane::sources
