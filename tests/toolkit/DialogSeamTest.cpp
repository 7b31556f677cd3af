#include <QTest>
#include <QWidget>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TSaveDialog.h"

using namespace halvane;

class DialogSeamTest : public QObject {
  Q_OBJECT

 private slots:
  void MessageBoxAnswersFromTheQueueAndRecordsEveryMessage() {
    QWidget owner;
    TMessageBox box(&owner);
    box.SetTestMode(true);
    box.QueueAnswer(TMsgResult::Cancel);
    box.QueueAnswer(TMsgResult::Cancel);
    QCOMPARE(box.Execute("Delete?", TMsgKind::Information, TMsgButtons::OkCancel), TMsgResult::Cancel);
    // An OK-only box can only answer OK, whatever was queued.
    QCOMPARE(box.Execute("Missing updater", TMsgKind::Warning, TMsgButtons::Ok), TMsgResult::Ok);
    QCOMPARE(box.Execute("Again?", TMsgKind::Information, TMsgButtons::OkCancel), TMsgResult::Ok);
    QCOMPARE(box.Shown().size(), std::size_t{3});
    QCOMPARE(box.Shown()[0].Text, std::string("Delete?"));
    QVERIFY(box.Shown()[1].Kind == TMsgKind::Warning);
    QVERIFY(box.Shown()[1].Buttons == TMsgButtons::Ok);
    QVERIFY(box.Shown()[2].Buttons == TMsgButtons::OkCancel);
  }

  void SaveDialogGivesQueuedPathsAndRemembersTheLastOne() {
    QWidget owner;
    TSaveDialog dialog(&owner);
    dialog.SetTestMode(true);
    dialog.SetInitialPath("/program/");
    dialog.QueueAnswer(std::string("/data/out.csv"));
    dialog.QueueAnswer(std::nullopt);
    QCOMPARE(dialog.Execute("Save file", "CSV (Comma delimited) (*.csv)|*.csv").value(), std::string("/data/out.csv"));
    QVERIFY(!dialog.Execute("Save file", "CSV (Comma delimited) (*.csv)|*.csv").has_value());
    QVERIFY(!dialog.Execute("Save file", "x|*.x").has_value());
    QCOMPARE(dialog.Requests().size(), std::size_t{3});
    QCOMPARE(dialog.Requests()[0].InitialPath, std::string("/program/"));
    QCOMPARE(dialog.Requests()[1].InitialPath, std::string("/data/out.csv"));
    QCOMPARE(dialog.Requests()[1].Title, std::string("Save file"));
    QCOMPARE(dialog.Requests()[1].Filter, std::string("CSV (Comma delimited) (*.csv)|*.csv"));
    // A cancel keeps the path of the last export.
    QCOMPARE(dialog.InitialPath(), std::string("/data/out.csv"));
  }
};

HALVANE_QTEST(DialogSeamTest);
#include "DialogSeamTest.moc"
