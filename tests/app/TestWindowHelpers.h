#pragma once
// Small helpers for tests that drive the main window's news and update
// steps.
#include <QApplication>
#include <QTimer>

#include <functional>

#include <string>
#include <vector>

#include "TMessageBox.h"
#include "TfrmMain.h"

namespace halvane::test {

// The start-up check stays out of the way of the step under test.
inline TfrmMain& Quiet(TfrmMain& frm) {
  frm.Timer1->stop();
  return frm;
}

// The texts msgMain has shown, in order.
inline std::vector<std::string> Texts(const TMessageBox& box) {
  std::vector<std::string> texts;
  for (const TShownMessage& m : box.Shown()) texts.push_back(m.Text);
  return texts;
}

// Calls handle with the modal window of type T once the modal loop shows
// it; handle must end that loop. Polls, so it is armed before the call that
// opens the window.
template <class T>
void WhenModal(std::function<void(T&)> handle) {
  auto* poll = new QTimer();
  QObject::connect(poll, &QTimer::timeout, [poll, handle] {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!window) return;
    poll->stop();
    poll->deleteLater();
    handle(*window);
  });
  poll->start(20);
}

}  // namespace halvane::test
