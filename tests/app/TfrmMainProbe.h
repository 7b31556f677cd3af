#pragma once
// Reaches the main window's internals that are not controls (the window's
// controls are found by object name, see TestWindowHelpers.h). The window
// names this class as its only friend.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/TfrmMain.h"

namespace halvane {

class TfrmMainProbe {
 public:
  static std::atomic<bool>& StopRequested(TfrmMain& form) { return form.StopRequested; }
  static std::unique_ptr<THarvestedUrls>& HarvestedUrls(TfrmMain& form) { return form.HarvestedUrls; }
  static std::unique_ptr<std::vector<std::string>>& NewsList(TfrmMain& form) { return form.NewsList; }
  static TSortState& Sort(TfrmMain& form) { return form.Sort; }
  // What a live run sees of the window: rows and the run's end, without a run.
  static TLiveSearchView& LiveView(TfrmMain& form) { return form; }
};

}  // namespace halvane
