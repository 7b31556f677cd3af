#pragma once
// The interface thread: other threads post work to it, and long operations
// running on it let pending window events through.
#include <QObject>

#include <functional>
#include <thread>

namespace halvane {

class TUiThread : public QObject {
  Q_OBJECT

 public:
  // Must be created on the interface thread.
  explicit TUiThread(QObject* parent = nullptr);

  // Runs work on the interface thread: later, from its event loop, when
  // called from another thread; at once when already on it.
  void Post(std::function<void()> work);
  // Always queued, also from the interface thread itself.
  void PostLater(std::function<void()> work);

  bool IsInterfaceThread() const;
  std::thread::id InterfaceThreadId() const { return FThreadId; }

  // Processes all pending window events and returns.
  static void PumpEvents();

 private:
  std::thread::id FThreadId;
};

}  // namespace halvane
