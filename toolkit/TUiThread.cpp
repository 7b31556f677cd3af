#include "toolkit/TUiThread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace halvane {

TUiThread::TUiThread(QObject* parent) : QObject(parent), FThreadId(std::this_thread::get_id()) {}

void TUiThread::Post(std::function<void()> work) {
  if (IsInterfaceThread()) {
    work();
    return;
  }
  PostLater(std::move(work));
}

void TUiThread::PostLater(std::function<void()> work) {
  QMetaObject::invokeMethod(this, [work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

bool TUiThread::IsInterfaceThread() const { return std::this_thread::get_id() == FThreadId; }

void TUiThread::PumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace halvane
