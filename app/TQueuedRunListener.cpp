#include "app/TQueuedRunListener.h"

#include <QMetaObject>

namespace halvane {

TQueuedRunListener::TQueuedRunListener(QObject& context, liverun::TLiveRunListener& target)
    : FContext(context), FTarget(target) {}

template <typename TCall>
void TQueuedRunListener::Queue(TCall call) {
  // A queued call with a context object is dropped once that object is gone.
  QMetaObject::invokeMethod(&FContext, std::move(call), Qt::QueuedConnection);
}

void TQueuedRunListener::RowAdded(std::size_t row, const liverun::TLiveResult& result) {
  Queue([&target = FTarget, row, result] { target.RowAdded(row, result); });
}

void TQueuedRunListener::ResultChanged(std::size_t row, const liverun::TLiveResult& result) {
  Queue([&target = FTarget, row, result] { target.ResultChanged(row, result); });
}

void TQueuedRunListener::PageSettled(const liverun::TPageOutcome& outcome) {
  Queue([&target = FTarget, outcome] { target.PageSettled(outcome); });
}

void TQueuedRunListener::StatusText(const std::string& text) {
  Queue([&target = FTarget, text] { target.StatusText(text); });
}

void TQueuedRunListener::Progress(std::size_t done, std::size_t total) {
  Queue([&target = FTarget, done, total] { target.Progress(done, total); });
}

void TQueuedRunListener::Finished(const liverun::TLiveRunSummary& summary) {
  Queue([&target = FTarget, summary] { target.Finished(summary); });
}

}  // namespace halvane
