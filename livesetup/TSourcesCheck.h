#pragma once
// The Sources dialog's Test: asks each chosen service once (one search page,
// one authority call, opening the tables) and says per service "OK" or what
// went wrong, in words.
//
// Threads: Start and the destructor are for the owner's thread (the
// interface thread), and neither waits: the checks run on a thread of this
// object's own (opening a table may build its index, seconds for a big one)
// and on the live client's. done runs on one of those. The destructor waits
// only for a table being opened at that moment.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sources/TSources.h"

namespace halvane::live {
class TLiveClient;
}

namespace halvane::livesetup {

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

  // done runs once, on another thread; it must not destroy this object.
  // Once only.
  void Start(TDone done);

 private:
  // The checks, on FWorker.
  void Run();
  // A service's result; slot SIZE_MAX only releases Run's own hold.
  void Report(std::size_t slot, std::string result);

  sources::TSources FSources;
  std::unique_ptr<live::TLiveClient> FClient;
  // What each started check keeps alive, in the order of the checks.
  std::vector<std::shared_ptr<void>> FRunning;
  std::mutex FLock;
  std::vector<TServiceCheck> FChecks;
  std::size_t FOpen = 0;
  TDone FDone;
  bool FCalling = false;                  // done is running (outside FLock)
  std::condition_variable FCallReturned;  // the destructor waits for it
  std::thread FWorker;
};

}  // namespace halvane::livesetup
