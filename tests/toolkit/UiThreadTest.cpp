#include <QTest>

#include <atomic>
#include <thread>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TUiThread.h"

using namespace halvane;

class UiThreadTest : public QObject {
  Q_OBJECT

 private slots:
  void WorkPostedFromAWorkerRunsOnTheInterfaceThread() {
    TUiThread ui;
    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> ran{false};
    // QtTest's checks belong on the test's own thread: the worker records.
    std::atomic<bool> workerIsInterface{true};
    std::thread worker([&] {
      workerIsInterface = ui.IsInterfaceThread();
      ui.Post([&] {
        ranOnUi = ui.IsInterfaceThread();
        ran = true;
      });
    });
    worker.join();
    QVERIFY(!workerIsInterface);
    QVERIFY(!ran);
    TUiThread::PumpEvents();
    QVERIFY(ran);
    QVERIFY(ranOnUi);
  }

  void PostOnTheInterfaceThreadRunsAtOnceAndPostLaterWaits() {
    TUiThread ui;
    int order = 0;
    int now = 0;
    int later = 0;
    ui.PostLater([&] { later = ++order; });
    ui.Post([&] { now = ++order; });
    QCOMPARE(now, 1);
    QCOMPARE(later, 0);
    TUiThread::PumpEvents();
    QCOMPARE(later, 2);
  }
};

HALVANE_QTEST(UiThreadTest);
#include "UiThreadTest.moc"
