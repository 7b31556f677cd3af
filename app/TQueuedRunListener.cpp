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

void TQueuedRunListener::RowAdded(std::size_t row, const liverun::TLiveRow& cells) {
  Queue([&target = FTarget, row, cells] { target.RowAdded(row, cells); });
}

void TQueuedRunListener::CellSet(std::size_t row, int column, const std::string& text) {
  Queue([&target = FTarget, row, column, text] { target.CellSet(row, column, text); });
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
