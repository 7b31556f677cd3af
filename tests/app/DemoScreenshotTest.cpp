#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <string>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TBalloonHint.h"
#include "tests/app/TDemoEdition.h"
#include "tests/app/Screenshot.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/THtmlView.h"
#include "app/TResultsModel.h"
#include "app/TfrmNews.h"

using namespace halvane;
using namespace halvane::test;

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
    QVERIFY(Capture(frm, "demo-main-window.png"));

    bool captured = false;
    WhenModal<TfrmNews>([&](TfrmNews& news) {
      [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&news));
        QVERIFY(news.lvwItems->topLevelItemCount() > 0);
        news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(news.lvwItems->topLevelItemCount() - 1));
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
