#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <string>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TBalloonHint.h"
#include "tests/app/TDemoEdition.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/THtmlView.h"
#include "app/TResultsModel.h"
#include "app/TfrmNews.h"

#ifndef HALVANE_TEST_ARTIFACTS
#error "HALVANE_TEST_ARTIFACTS is set by the build"
#endif

using namespace halvane;
using namespace halvane::test;

namespace {

// Saves a picture of the window for a person to look at; false when
// nothing was drawn or the file could not be written.
bool Capture(QWidget& window, const char* name) {
  QDir().mkpath(QStringLiteral(HALVANE_TEST_ARTIFACTS));
  const QPixmap picture = window.grab();
  if (picture.isNull() || picture.width() < 100 || picture.height() < 100) return false;
  const QString path = QStringLiteral(HALVANE_TEST_ARTIFACTS "/") + QString::fromLatin1(name);
  if (!picture.save(path, "PNG")) return false;
  qInfo("saved %s", qPrintable(path));
  return true;
}

}  // namespace

// Pictures of the demo edition's windows on a real X display, stored as
// test artefacts (not compared with anything).
class DemoScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void WindowsAfterADemoSearch() {
    TDemoEdition demo;
    TfrmMain& frm = demo.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    QVERIFY(Capture(frm, "demo-welcome.png"));
    QVERIFY(demo.LeaveWelcomePage());
    Control<TBalloonHint>(frm, "BalloonHint")->Close();
    demo.Search("blue widgets", demo.Config.userDomain, 2);
    QVERIFY(Control<TResultsModel>(frm, "lvwItemsModel")->Count() > 0);
    QTest::qWait(100);
    QVERIFY(Capture(frm, "demo-main-window.png"));

    bool captured = false;
    WhenModal<TfrmNews>([&](TfrmNews& news) {
      [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&news));
        QVERIFY(news.lvwItems->topLevelItemCount() > 0);
        news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(news.lvwItems->topLevelItemCount() - 1));
        QTest::qWait(100);
        captured = Capture(news, "demo-news-window.png");
      }();
      news.btnExit->click();
    });
    Control<QToolButton>(frm, "btnNews")->click();
    QVERIFY(captured);
  }
};

HALVANE_QTEST(DemoScreenshotTest);
#include "DemoScreenshotTest.moc"
