#pragma once
// Where the Authority column comes from: figures 0..10 for the names a
// source rates (registrable domains, or hosts), asked in batches
// (sources::TOpenPageRankAuthority, sources::TTableAuthority).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "live/RegistrableDomain.h"
#include "liverun/TAuthorityAnswer.h"

namespace halvane::liverun {

class TAuthorityLookup {
 public:
  using TDone = std::function<void(TAuthorityAnswer)>;

  virtual ~TAuthorityLookup() = default;
  virtual std::string Name() const = 0;
  virtual std::size_t MaxBatch() const = 0;
  // The name the source rates a page by: its registrable domain (the host
  // itself when it has none), unless a source knows hosts too.
  virtual std::string NameOf(std::string_view url) const {
    const std::string host = live::HostOfUrl(url);
    std::string domain = live::RegistrableDomain(host);
    return domain.empty() ? host : domain;
  }
  // done runs exactly once, on any thread (possibly before Lookup returns).
  virtual void Lookup(std::vector<std::string> names, TDone done) = 0;
};

}  // namespace halvane::liverun
