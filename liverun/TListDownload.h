#pragma once
// Downloads a Tranco list for the Sources dialog: into a file beside the
// target, checked by opening it as a Tranco list, and only then moved over
// the old list. Progress and the end are reported on the download's own
// client thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "live/TNetworkSettings.h"

namespace halvane::live {
class TLiveClient;
}

namespace halvane::liverun {

class TListDownload {
 public:
  using TProgress = std::function<void(std::int64_t bytes)>;
  // "" when the new list is in place; otherwise why not (the old list stays).
  using TDone = std::function<void(const std::string& error)>;

  TListDownload(live::TNetworkSettings settings, std::string url, std::string target);
  // Cancels a download under way (done is not called after).
  ~TListDownload();

  void Start(TProgress progress, TDone done);
  // done gets "cancelled".
  void Cancel();

  // The file the download is written to before it is checked.
  std::string PartPath() const { return FTarget + ".part"; }

 private:
  void Finish(long status, const std::string& failure);

  std::string FUrl;
  std::string FTarget;
  std::unique_ptr<live::TLiveClient> FClient;
  TDone FDone;
  std::atomic<bool> FCancelled{false};
};

// Checks path as a Tranco list (builds its index); "" when usable, else why.
std::string CheckTrancoList(const std::string& path);

}  // namespace halvane::liverun
