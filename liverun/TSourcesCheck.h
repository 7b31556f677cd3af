#pragma once
// The Sources dialog's Test: asks each chosen service once (one search page,
// one authority call, opening the tables) and says per service "OK" or what
// went wrong, in words.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sources/TSources.h"

namespace halvane::live {
class TLiveClient;
}
namespace halvane::sources {
class TSearchBackEnd;
class TOpenPageRank;
}  // namespace halvane::sources

namespace halvane::liverun {

struct TServiceCheck {
  std::string Service;  // "Search (SearXNG)", "Authority (Open PageRank)", ...
  std::string Result;   // "OK" or the error
};

class TSourcesCheck {
 public:
  using TDone = std::function<void(std::vector<TServiceCheck>)>;

  explicit TSourcesCheck(sources::TSources sources);
  // Ends what is under way; done is not called after.
  ~TSourcesCheck();

  // done runs once, on another thread (or at once when nothing is asked
  // over the network).
  void Start(TDone done);

 private:
  // A service's result; slot SIZE_MAX only releases Start's own hold.
  void Report(std::size_t slot, std::string result);

  sources::TSources FSources;
  std::unique_ptr<live::TLiveClient> FClient;
  std::unique_ptr<sources::TSearchBackEnd> FSearch;
  std::unique_ptr<sources::TOpenPageRank> FAuthority;
  std::mutex FLock;
  std::vector<TServiceCheck> FChecks;
  std::size_t FOpen = 0;
  TDone FDone;
};

}  // namespace halvane::liverun
