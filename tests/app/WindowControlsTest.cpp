#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "app/TResultsModel.h"
#include "app/TfrmMain.h"

using namespace halvane;
using namespace halvane::test;

// The lookup every window test relies on: a misspelt name or a wrong type
// must fail the test, never hand back some other control or null.
class WindowControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void FindsControlsAndComponentsByTheirFieldNames() {
    TAppFixture app;
    TfrmMain& frm = app.Create();
    QPushButton* search = Control<QPushButton>(frm, "btnSearch");
    QCOMPARE(search->text(), QStringLiteral("Search"));
    QVERIFY(Control<QTimer>(frm, "Timer1") != nullptr);
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Count(), std::size_t(0));
  }

  void AWrongNameOrTypeFails() {
    TAppFixture app;
    TfrmMain& frm = app.Create();
    QTest::ignoreMessage(QtWarningMsg, "no control named btnSerch of type QPushButton");
    QVERIFY_THROWS_EXCEPTION(std::logic_error, Control<QPushButton>(frm, "btnSerch"));
    QTest::ignoreMessage(QtWarningMsg, "no control named edtKeyword of type QPushButton");
    QVERIFY_THROWS_EXCEPTION(std::logic_error, Control<QPushButton>(frm, "edtKeyword"));
    QVERIFY(FindControl<QLineEdit>(frm, "edtKeywords") == nullptr);
  }

  void TwoControlsOfOneNameFail() {
    TAppFixture app;
    TfrmMain& frm = app.Create();
    auto* twin = new QLineEdit(&frm);
    twin->setObjectName(QStringLiteral("edtKeyword"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, FindControl<QLineEdit>(frm, "edtKeyword"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, Control<QLineEdit>(frm, "edtKeyword"));
  }
};

HALVANE_QTEST(WindowControlsTest);
#include "WindowControlsTest.moc"
