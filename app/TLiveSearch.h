#pragma once
// The main window's live run: makes the parts the sources file chooses (off
// the interface thread: opening a table may take seconds), runs one
// TLiveRun at a time and shows its reports, handed over as queued calls,
// through a TLiveSearchView. Nothing here waits or pumps events.
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/TLiveSearchView.h"
#include "liverun/TLiveRun.h"
#include "liverun/TLiveRunParts.h"
#include "sources/TSources.h"

namespace halvane {

class TQueuedRunListener;

class TLiveSearch : public QObject, private liverun::TLiveRunListener {
  Q_OBJECT

 public:
  using TPartsMaker = std::function<std::unique_ptr<liverun::TLiveRunParts>(std::string& error)>;

  // makeParts runs on a thread of its own, once, at the first Start.
  TLiveSearch(TPartsMaker makeParts, TLiveSearchView& view, QObject* parent = nullptr);
  // Stops a run under way and waits for its thread (at most ~100 ms).
  ~TLiveSearch() override;

  // Idle: no run; Running: a run under way; Stopping: Stop was asked and
  // the run has not ended yet (the button already reads "Search", and a
  // click waits for nothing).
  enum class TState { Idle, Running, Stopping };

  // On the interface thread. Start while active is ignored.
  void Start(liverun::TLiveRunInput input);
  void Stop();
  bool Active() const { return FActive; }
  TState State() const { return !FActive ? TState::Idle : FStopRequested ? TState::Stopping : TState::Running; }
  // The harvested addresses of the last run that have no row, and why.
  const std::vector<liverun::TPageOutcome>& PagesWithoutRow() const { return FPagesWithoutRow; }

 private:
  void PartsReady(std::unique_ptr<liverun::TLiveRunParts> parts, const std::string& error);
  void Launch();
  void End(const liverun::TLiveRunSummary& summary);

  // TLiveRunListener, on the interface thread (through FQueued).
  void RowAdded(std::size_t row, const liverun::TLiveResult& result) override;
  void ResultChanged(std::size_t row, const liverun::TLiveResult& result) override;
  void PageSettled(const liverun::TPageOutcome& outcome) override;
  void StatusText(const std::string& text) override;
  void Progress(std::size_t done, std::size_t total) override;
  void Finished(const liverun::TLiveRunSummary& summary) override;

  TPartsMaker FMakeParts;
  TLiveSearchView& FView;
  std::unique_ptr<TQueuedRunListener> FQueued;
  std::thread FPreparing;
  std::unique_ptr<liverun::TLiveRunParts> FParts;
  std::unique_ptr<liverun::TLiveRun> FRun;
  liverun::TLiveRunInput FInput;
  std::vector<std::uint64_t> FRowKeys;  // by the run's row number
  std::vector<liverun::TPageOutcome> FPagesWithoutRow;
  std::size_t FJudged = 0;
  bool FActive = false;
  bool FStopRequested = false;
};

}  // namespace halvane
