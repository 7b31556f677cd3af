#pragma once
// Small helpers for tests that drive the main window. Its controls (and the
// QObjects it owns) are private; tests find them by object name, which is
// the field's name. Internals that are not QObjects go through
// TfrmMainProbe.
#include <QApplication>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/sim/TExpectedRow.h"
#include "toolkit/TMessageBox.h"
#include "app/TResultsModel.h"
#include "app/TfrmMain.h"
#include "tests/app/TfrmMainProbe.h"
#include "tests/app/TAppFixture.h"

namespace halvane::test {

// form's descendant named name that is a T, or null when there is none.
// Throws when more than one matches: a test must not pick one by chance.
template <class T>
T* FindControl(const QObject& form, const char* name) {
  const QList<T*> found = form.findChildren<T*>(QString::fromLatin1(name));
  if (found.size() > 1) throw std::logic_error(std::string("more than one control named ") + name);
  return found.isEmpty() ? nullptr : found.first();
}

// As FindControl, but a missing control (a wrong name or a wrong type)
// throws, which fails the test that asked for it. QtTest reports only
// that an exception escaped, so the control's name is logged first.
template <class T>
T* Control(const QObject& form, const char* name) {
  if (T* control = FindControl<T>(form, name)) return control;
  const std::string why = std::string("no control named ") + name + " of type " + T::staticMetaObject.className();
  qWarning("%s", why.c_str());
  throw std::logic_error(why);
}

// Shows the window with the start-up check out of the way of the step
// under test. The check's timer is stopped before the window is shown: on
// a busy machine showing may take longer than the timer's 100 ms, and the
// check would run inside Show.
inline TfrmMain& ShowQuiet(TAppFixture& app) {
  Control<QTimer>(app.Create(), "Timer1")->stop();
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
