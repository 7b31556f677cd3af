#pragma once
// Small helpers for tests that drive the main window's news and update
// steps.
#include <QApplication>
#include <QTimer>

#include <functional>

#include <string>
#include <vector>

#include "tools/sim/TExpectedRow.h"
#include "toolkit/TMessageBox.h"
#include "app/TResultsModel.h"
#include "app/TfrmMain.h"
#include "tests/app/TAppFixture.h"

namespace halvane::test {

// Shows the window with the start-up check out of the way of the step
// under test. The check's timer is stopped before the window is shown: on
// a busy machine showing may take longer than the timer's 100 ms, and the
// check would run inside Show.
inline TfrmMain& ShowQuiet(TAppFixture& app) {
  app.Create().Timer1->stop();
  return app.Show();
}

// The texts msgMain has shown, in order.
inline std::vector<std::string> Texts(const TMessageBox& box) {
  std::vector<std::string> texts;
  for (const TShownMessage& m : box.Shown()) texts.push_back(m.Text);
  return texts;
}

// The results list's rows in the shape the simulated web's model predicts.
inline std::vector<sim::TExpectedRow> ListedRows(const TResultsModel& model) {
  std::vector<sim::TExpectedRow> rows;
  for (const TResultItem& item : model.Items())
    rows.push_back({item.URL, item.PR, item.HomePagePR, item.HasYourLink, item.AnchorName, item.AlexaRanking});
  return rows;
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
