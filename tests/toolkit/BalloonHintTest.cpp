#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TBalloonHint.h"

using namespace halvane;

class BalloonHintTest : public QObject {
  Q_OBJECT

 private slots:
  void HangsBelowAndLeftOfItsPoint() {
    TBalloonHint balloon;
    const QPoint point(600, 300);
    balloon.ShowAt(point, QStringLiteral("You've Got A Message!\r\nNew title"));
    QVERIFY(balloon.IsShown());
    const QRect g = balloon.geometry();
    QCOMPARE(g.top(), point.y());
    QVERIFY(g.left() < point.x() - g.width() / 2);
    QVERIFY(g.right() > point.x());
    QCOMPARE(balloon.TipPoint(), point);
    balloon.ShowAt(QPoint(100, 100), QStringLiteral("second"));
    QCOMPARE(balloon.Text(), QStringLiteral("second"));
    QCOMPARE(balloon.geometry().top(), 100);
  }

  // Nothing blends translucent windows here (as on X11 without a
  // compositor): the window is cut to the balloon and its shadow.
  void WithoutTranslucencyTheWindowIsCutToItsOutline() {
    QVERIFY(!TBalloonHint::TranslucencyAvailable());
    TBalloonHint balloon;
    balloon.ShowAt(QPoint(600, 300), QStringLiteral("You've Got A Message!\r\nNew title"));
    const QRegion mask = balloon.mask();
    QVERIFY(!mask.isEmpty());
    const int w = balloon.width();
    const int h = balloon.height();
    const QPoint tip = balloon.TipPoint() - balloon.pos();
    QCOMPARE(tip.y(), 0);
    QVERIFY(mask.contains(QPoint(w / 2, h / 2)));
    QVERIFY(mask.contains(tip + QPoint(-1, 4)));
    QVERIFY(mask.contains(QPoint(w - 2, h / 2)));
    // Beside the stem, and the corners the rounding and the shadow leave.
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(!mask.contains(QPoint(w - 1, 0)));
    QVERIFY(!mask.contains(tip + QPoint(-10, 1)));
    QVERIFY(!mask.contains(QPoint(0, h - 1)));
    QVERIFY(!mask.contains(QPoint(w - 1, h - 1)));
  }

  void NextClickClosesItAndIsUsedUp() {
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("x"), &window);
    button->setGeometry(10, 10, 80, 24);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicked(button, &QPushButton::clicked);
    TBalloonHint balloon(&window);
    balloon.ShowAt(window.mapToGlobal(QPoint(200, 50)), QStringLiteral("hint"));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!balloon.IsShown());
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
  }

  void WheelAndDeactivationCloseIt() {
    QWidget window;
    window.show();
    TBalloonHint balloon(&window);
    balloon.ShowAt(QPoint(50, 50), QStringLiteral("hint"));
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
    QVERIFY(!balloon.IsShown());
    balloon.ShowAt(QPoint(50, 50), QStringLiteral("hint"));
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    QVERIFY(!balloon.IsShown());
  }
};

HALVANE_QTEST(BalloonHintTest);
#include "BalloonHintTest.moc"
