#include <QTest>
#include <QWidget>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TAlignLayout.h"

using namespace halvane;

class AlignLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void DocksInOrderAndAnchorsFollowTheParent() {
    QWidget form;
    auto* layout = new TAlignLayout(&form, QSize(400, 300));
    auto* top = new QWidget;
    auto* status = new QWidget;
    auto* footer = new QWidget;
    auto* hiddenBar = new QWidget;
    auto* client = new QWidget;
    auto* right = new QWidget;
    auto* stretched = new QWidget;
    auto* centred = new QWidget;
    auto* free = new QWidget;
    layout->AddControl(top, QRect(0, 0, 400, 40), TAlign::Top);
    layout->AddControl(status, QRect(0, 280, 400, 20), TAlign::Bottom);
    layout->AddControl(footer, QRect(0, 250, 400, 30), TAlign::Bottom);
    layout->AddControl(hiddenBar, QRect(380, 40, 20, 210), TAlign::Right);
    hiddenBar->setVisible(false);
    layout->AddControl(client, QRect(0, 40, 380, 210), TAlign::Client);
    layout->AddControl(right, QRect(350, 5, 40, 30), TAlign::None, akTop | akRight);
    layout->AddControl(stretched, QRect(10, 100, 380, 100), TAlign::None, akLeft | akTop | akRight | akBottom);
    layout->AddControl(centred, QRect(150, 260, 100, 20), TAlign::None, 0);
    layout->AddControl(free, QRect(20, 60, 30, 30));
    form.resize(400, 300);
    form.show();
    QCOMPARE(top->geometry(), QRect(0, 0, 400, 40));
    QCOMPARE(status->geometry(), QRect(0, 280, 400, 20));
    QCOMPARE(footer->geometry(), QRect(0, 250, 400, 30));
    // The hidden bar takes no room.
    QCOMPARE(client->geometry(), QRect(0, 40, 400, 210));

    form.resize(500, 350);
    QCOMPARE(top->geometry(), QRect(0, 0, 500, 40));
    QCOMPARE(status->geometry(), QRect(0, 330, 500, 20));
    QCOMPARE(client->geometry(), QRect(0, 40, 500, 260));
    QCOMPARE(right->geometry(), QRect(450, 5, 40, 30));
    QCOMPARE(stretched->geometry(), QRect(10, 100, 480, 150));
    QCOMPARE(centred->geometry(), QRect(200, 285, 100, 20));
    QCOMPARE(free->geometry(), QRect(20, 60, 30, 30));

    // Odd steps do not drift the centred control.
    form.resize(501, 351);
    form.resize(500, 350);
    QCOMPARE(centred->geometry(), QRect(200, 285, 100, 20));

    hiddenBar->setVisible(true);
    QTest::qWait(0);
    QCOMPARE(hiddenBar->geometry(), QRect(480, 40, 20, 260));
    QCOMPARE(client->geometry(), QRect(0, 40, 480, 260));

    layout->SetExtent(top, 60);
    QCOMPARE(top->geometry(), QRect(0, 0, 500, 60));
    QCOMPARE(client->geometry(), QRect(0, 60, 480, 240));
  }
};

HALVANE_QTEST(AlignLayoutTest);
#include "AlignLayoutTest.moc"
