#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "toolkit/TMessageBox.h"
#include "app/TResultsModel.h"
#include "toolkit/TSaveDialog.h"
#include "tests/app/TestWindowHelpers.h"

using namespace halvane;
using namespace halvane::test;

namespace {

const std::string kDeleteSelected = "Are you sure do you want to delete the selected items?";
const std::string kDeleteAll = "Are you sure do you want to delete all?";

TResultItem Row(std::string pr, std::string url, std::string home = "", std::string link = "No",
                std::string anchor = "-", std::string ranking = "-") {
  TResultItem item;
  item.PR = std::move(pr);
  item.URL = std::move(url);
  item.HomePagePR = std::move(home);
  item.HasYourLink = std::move(link);
  item.AnchorName = std::move(anchor);
  item.AlexaRanking = std::move(ranking);
  return item;
}

std::vector<std::string> Column(const TResultsModel& model, int column) {
  std::vector<std::string> cells;
  for (int row = 0; row < model.rowCount(); ++row)
    cells.push_back(model.index(row, column).data().toString().toStdString());
  return cells;
}

void ClickHeader(TfrmMain& frm, int column) {
  QHeaderView* header = Control<QTableView>(frm, "lvwItems")->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void Check(TResultsModel& model, int row) {
  model.setData(model.index(row, 0), Qt::Checked, Qt::CheckStateRole);
}

}  // namespace

// The results list as the user works it: header sorting, check boxes, the
// delete buttons and their questions, double click, and the CSV export.
class ResultsListTest : public QObject {
  Q_OBJECT

 private slots:
  void HeaderClicksSortAndCarryTheDirection() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    model.Add(Row("2", "http://b.test/", "3", "Yes", "x", "1,234"));
    model.Add(Row("10", "http://C.test/", "10", "No", "-", "987"));
    model.Add(Row("1", "http://a.test/", "", "No", "-", "-"));

    ClickHeader(frm, 5);
    QCOMPARE(Column(model, 5), (std::vector<std::string>{"-", "987", "1,234"}));
    ClickHeader(frm, 5);
    QCOMPARE(Column(model, 5), (std::vector<std::string>{"1,234", "987", "-"}));
    // Another column keeps the direction last in force: descending.
    ClickHeader(frm, 1);
    QCOMPARE(Column(model, 1), (std::vector<std::string>{"http://C.test/", "http://b.test/", "http://a.test/"}));
    ClickHeader(frm, 2);
    QCOMPARE(Column(model, 2), (std::vector<std::string>{"10", "3", ""}));
    // PR sorts as text: 10 between 1 and 2.
    ClickHeader(frm, 0);
    ClickHeader(frm, 0);
    QCOMPARE(Column(model, 0), (std::vector<std::string>{"1", "10", "2"}));
    ClickHeader(frm, 3);
    QCOMPARE(Column(model, 3), (std::vector<std::string>{"No", "No", "Yes"}));
    QCOMPARE(TfrmMainProbe::Sort(frm).SortColumn, 3);
    QVERIFY(TfrmMainProbe::Sort(frm).SortAscending);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
  }

  void CheckBoxesFirstColumnEditingAndSelectButtons() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    for (int i = 0; i < 3; ++i) model.Add(Row("1", "http://s" + std::to_string(i) + ".test/"));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(model.setData(model.index(1, 0), QStringLiteral("edited"), Qt::EditRole));
    QCOMPARE(model.Item(1).PR, std::string("edited"));
    QVERIFY(!model.setData(model.index(1, 1), QStringLiteral("x"), Qt::EditRole));

    Control<QPushButton>(frm, "btnSelectAll")->click();
    for (const TResultItem& item : model.Items()) QVERIFY(item.Checked);
    QCOMPARE(model.index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    Control<QPushButton>(frm, "bsSkinButton2")->click();
    for (const TResultItem& item : model.Items()) QVERIFY(!item.Checked);
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->toolTip(), QStringLiteral("Double click to open URL"));
    QVERIFY(Control<QTableView>(frm, "lvwItems")->showGrid());
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->selectionBehavior(), QAbstractItemView::SelectRows);
  }

  void DeleteButtonsAskThenRemoveAndRecount() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    for (int i = 0; i < 5; ++i) model.Add(Row(std::to_string(i), "http://s" + std::to_string(i) + ".test/"));
    Check(model, 1);
    Check(model, 2);
    Check(model, 4);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    Control<QPushButton>(frm, "btnDelSelected")->click();
    QCOMPARE(model.Count(), std::size_t{5});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("5 items listed"));

    Control<QPushButton>(frm, "btnDelSelected")->click();
    QCOMPARE(Column(model, 0), (std::vector<std::string>{"0", "3"}));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("2 items listed"));

    Control<QLabel>(frm, "stpItems")->setText(QStringLiteral("something else"));
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    Control<QPushButton>(frm, "btnDelAll")->click();
    QCOMPARE(model.Count(), std::size_t{2});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("2 items listed"));
    Control<QPushButton>(frm, "btnDelAll")->click();
    QCOMPARE(model.Count(), std::size_t{0});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("0 items listed"));

    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")),
             (std::vector<std::string>{kDeleteSelected, kDeleteSelected, kDeleteAll, kDeleteAll}));
    for (const TShownMessage& shown : Control<TMessageBox>(frm, "msgMain")->Shown()) {
      QCOMPARE(shown.Kind, TMsgKind::Information);
      QCOMPARE(shown.Buttons, TMsgButtons::OkCancel);
    }

    // An empty list asks nothing.
    Control<TMessageBox>(frm, "msgMain")->ClearShown();
    Control<QPushButton>(frm, "btnDelAll")->click();
    Control<QPushButton>(frm, "btnDelSelected")->click();
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
  }

  void DeleteButtonsRefuseWhileARunIsActive() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    model.Add(Row("1", "http://a.test/"));
    Check(model, 0);
    Control<QPushButton>(frm, "btnSearch")->setText(QStringLiteral("Stop"));
    Control<QLabel>(frm, "stpItems")->setText(QStringLiteral("3 items found of 9 analized"));
    Control<QPushButton>(frm, "btnDelSelected")->click();
    Control<QPushButton>(frm, "btnDelAll")->click();
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    QCOMPARE(model.Count(), std::size_t{1});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("3 items found of 9 analized"));
    Control<QPushButton>(frm, "btnSearch")->setText(QStringLiteral("Search"));
  }

  void DoubleClickOpensTheHighlightedRowOnly() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    model.Add(Row("1", "http://a.test/post/"));
    model.Add(Row("2", "http://b.test/post/"));
    frm.lvwItemsDblClick();
    QVERIFY(app.BrowserOpened.empty());

    const QRect cell = Control<QTableView>(frm, "lvwItems")->visualRect(model.index(1, 1));
    QTest::mouseClick(Control<QTableView>(frm, "lvwItems")->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(Control<QTableView>(frm, "lvwItems")->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(app.BrowserOpened, (std::vector<std::string>{"http://b.test/post/"}));
    // The highlight follows its row through a sort.
    ClickHeader(frm, 0);
    ClickHeader(frm, 0);
    frm.lvwItemsDblClick();
    QCOMPARE(app.BrowserOpened.back(), std::string("http://b.test/post/"));
  }

  void EmptyListHasNoDataToSave() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    Control<QPushButton>(frm, "btnSave")->click();
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), (std::vector<std::string>{"You don't have any data to save."}));
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown().front().Buttons, TMsgButtons::Ok);
    QVERIFY(Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->Requests().empty());
  }

  void ExportWritesTheListInDisplayOrder() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    model.Add(Row("4", "http://b.test/", "5", "Yes", "say \"hi\", <b>there</b>", "12,345"));
    model.Add(Row("0", "http://a.test/", "", "", "", ""));
    model.Add(Row("7", "http://c.test/", "7", "No", "-", "-"));
    Check(model, 2);
    ClickHeader(frm, 1);

    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "links");
    Control<QPushButton>(frm, "btnSave")->click();
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    const std::string expected =
        "\"PR\",\"URL\",\"Home Page PR\",\"Has Your Link\",\"Anchor Name\",\"Alexa Ranking\"\r\n"
        "\"0\",\"http://a.test/\",\"\",\"\",\"\",\"\"\r\n"
        "\"4\",\"http://b.test/\",\"5\",\"Yes\",\"say \"\"hi\"\", <b>there</b>\",\"12,345\"\r\n"
        "\"7\",\"http://c.test/\",\"7\",\"No\",\"-\",\"-\"\r\n";
    QCOMPARE(app.ReadFile("links.csv"), expected);
    QCOMPARE(model.Count(), std::size_t{3});

    const std::vector<TSaveRequest>& requests = Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->Requests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].Title, std::string("Save file"));
    QCOMPARE(requests[0].Filter, std::string("CSV (Comma delimited) (*.csv)|*.csv"));
    QCOMPARE(requests[0].InitialPath, app.Folder());

    // Saving again over the file replaces it; the dialog opens at the
    // path chosen last.
    model.Clear();
    model.Add(Row("1", "http://d.test/"));
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "links.csv");
    Control<QPushButton>(frm, "btnSave")->click();
    QCOMPARE(app.ReadFile("links.csv"),
             std::string("\"PR\",\"URL\",\"Home Page PR\",\"Has Your Link\",\"Anchor Name\",\"Alexa Ranking\"\r\n"
                         "\"1\",\"http://d.test/\",\"\",\"No\",\"-\",\"-\"\r\n"));
    QCOMPARE(Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->Requests().back().InitialPath, app.Folder() + "links");
  }

  void ExportExtensionRuleAndCancel() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    Control<TResultsModel>(frm, "lvwItemsModel")->Add(Row("1", "http://a.test/"));
    for (const char* name : {"upper.CSV", "notes.txt"}) {
      Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + name);
      Control<QPushButton>(frm, "btnSave")->click();
    }
    QVERIFY(app.Exists("upper.CSV"));
    QVERIFY(!app.Exists("upper.CSV.csv"));
    QVERIFY(app.Exists("notes.txt.csv"));
    QVERIFY(!app.Exists("notes.txt"));

    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(std::nullopt);
    Control<QPushButton>(frm, "btnSave")->click();
    QCOMPARE(std::distance(std::filesystem::directory_iterator(app.Folder()), {}), 2);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
  }

  void ExportIntoAFolderThatCannotBeWrittenSaysNothing() {
    TAppFixture app;
    TfrmMain& frm = ShowQuiet(app);
    Control<TResultsModel>(frm, "lvwItemsModel")->Add(Row("1", "http://a.test/"));
    // A plain file where a folder should be stops every user, root too.
    app.WriteFile("plain", "x");
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "plain/out.csv");
    Control<QPushButton>(frm, "btnSave")->click();
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "missing/out.csv");
    Control<QPushButton>(frm, "btnSave")->click();
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    QCOMPARE(std::distance(std::filesystem::directory_iterator(app.Folder()), {}), 1);
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Count(), std::size_t{1});
  }
};

HALVANE_QTEST(ResultsListTest);
#include "ResultsListTest.moc"
