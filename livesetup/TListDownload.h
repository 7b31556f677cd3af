#pragma once
// Downloads a Tranco list for the Sources dialog and `halvane-rank
// download`: into a file beside the target, checked by opening it as a
// Tranco list, and only then moved over the old list. Beside it goes the
// list's id (the plain-text answer of /top-1m-id on the list's host) and the
// day it was generated (the download's Last-Modified date), so that it can
// be cited (tables::TTrancoListId); without an id the date alone is kept.
// Progress and the end are reported on the download's own client thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "live/TNetworkSettings.h"

namespace halvane::live {
class TLiveClient;
}

namespace halvane::livesetup {

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

  // Where the id of the list at listUrl is asked: /top-1m-id on its host.
  static std::string IdUrl(const std::string& listUrl);

 private:
  // Asks the list's id, then finishes.
  void AskId(const std::string& lastModified);
  void Finish(const std::string& failure, const std::string& idAnswer, const std::string& lastModified);

  std::string FUrl;
  std::string FTarget;
  std::unique_ptr<live::TLiveClient> FClient;
  TDone FDone;
  std::atomic<bool> FCancelled{false};
};

// Checks path as a Tranco list (builds its index); "" when usable, else why.
std::string CheckTrancoList(const std::string& path);

}  // namespace halvane::livesetup
