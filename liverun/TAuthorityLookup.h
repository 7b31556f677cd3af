#pragma once
// Where the Authority column comes from: figures 0..10 for the names a
// source rates (registrable domains, or hosts), asked in batches.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace halvane::liverun {

struct TAuthorityAnswer {
  std::map<std::string, int> Figures;  // by name; unknown names left out
  std::string Error;                   // the source failed: why, naming it, in words
  std::string Note;                    // worth a word to the user, though the figures stand
};

class TAuthorityLookup {
 public:
  using TDone = std::function<void(TAuthorityAnswer)>;

  virtual ~TAuthorityLookup() = default;
  virtual std::string Name() const = 0;
  virtual std::size_t MaxBatch() const = 0;
  // The name the source rates a page by: its registrable domain (the host
  // itself when it has none), unless a source knows hosts too.
  virtual std::string NameOf(std::string_view url) const;
  // done runs exactly once, on any thread (possibly before Lookup returns).
  virtual void Lookup(std::vector<std::string> names, TDone done) = 0;
};

}  // namespace halvane::liverun
