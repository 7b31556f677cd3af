#pragma once
// Where the Authority column comes from: figures 0..10 for registrable
// domains, asked in batches.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace halvane::liverun {

struct TAuthorityAnswer {
  std::map<std::string, int> Figures;  // by domain; unknown domains left out
  std::string Error;                   // the source failed: why, naming it, in words
};

class TAuthorityLookup {
 public:
  using TDone = std::function<void(TAuthorityAnswer)>;

  virtual ~TAuthorityLookup() = default;
  virtual std::string Name() const = 0;
  virtual std::size_t MaxBatch() const = 0;
  // done runs exactly once, on any thread (possibly before Lookup returns).
  virtual void Lookup(std::vector<std::string> domains, TDone done) = 0;
};

}  // namespace halvane::liverun
