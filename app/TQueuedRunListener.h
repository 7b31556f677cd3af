#pragma once
// Hands a live run's reports, made on the run's thread, to a listener on the
// thread of a Qt object, as queued calls in the order they were made: the
// window never waits for the run and never pumps a nested loop for it.
// Reports still queued when the context object goes are dropped.
#include <QObject>

#include "liverun/TLiveRunListener.h"

namespace halvane {

class TQueuedRunListener : public liverun::TLiveRunListener {
 public:
  // target is called on context's thread and must live as long as context.
  TQueuedRunListener(QObject& context, liverun::TLiveRunListener& target);

  void RowAdded(std::size_t row, const liverun::TLiveResult& result) override;
  void ResultChanged(std::size_t row, const liverun::TLiveResult& result) override;
  void PageSettled(const liverun::TPageOutcome& outcome) override;
  void StatusText(const std::string& text) override;
  void Progress(std::size_t done, std::size_t total) override;
  void Finished(const liverun::TLiveRunSummary& summary) override;

 private:
  template <typename TCall>
  void Queue(TCall call);

  QObject& FContext;
  liverun::TLiveRunListener& FTarget;
};

}  // namespace halvane
