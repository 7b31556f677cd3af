#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "branding/BrandSettings.h"
#include "tools/sim/Expectation.h"
#include "tests/toolkit/QtTestMain.h"
#include "search/ResultsCompare.h"
#include "search/ResultsList.h"
#include "toolkit/TBalloonHint.h"
#include "tests/app/TDemoEdition.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TPageControl.h"
#include "app/TResultsModel.h"
#include "toolkit/TSaveDialog.h"
#include "tests/app/TestWindowHelpers.h"
#include "app/TfrmNews.h"

using namespace halvane;
using namespace halvane::test;

namespace {

const std::string kUpdateQuestion =
    "There is a new update: (version 2.30) available for your application!. Do you want download this update now?";
const std::string kCloseQuestion =
    "To update your software the application will close to\n\rreplace some files. Do you want to update now?";

// One CSV line of quoted fields (doubled quotes inside) back into its fields.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  if (from != text.size()) lines.push_back(text.substr(from) + " <no CR LF>");
  return lines;
}

// A row as one line, so that a difference shows where it is.
std::string RowLine(const sim::TExpectedRow& r) {
  return r.pageRank + " | " + r.url + " | " + r.homePageRank + " | " + r.hasYourLink + " | " + r.anchorName + " | " +
         r.alexaRanking;
}

void ClickHeader(QTableView& view, int column) {
  QHeaderView* header = view.horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

// The demo edition's first session, through the window, against the
// simulated web it ships with.
class DemoEditionTest : public QObject {
  Q_OBJECT

 private slots:
  void FirstSession() {
    TDemoEdition demo;
    TfrmMain& frm = demo.Start();
    const std::string domain = demo.Config.userDomain;

    // Branded from the shipped settings; the welcome page waits for the user.
    QVERIFY(frm.BrandingApplied());
    QVERIFY(frm.windowTitle().startsWith(QStringLiteral("Halvane Demo v")));
    QVERIFY(!Control<QToolButton>(frm, "btnNews")->isHidden());
    QVERIFY(FindControl<QWidget>(frm, "stsWelcome") != nullptr);
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsWelcome"));
    QVERIFY(Control<THtmlView>(frm, "prfWelcome")->toPlainText().contains(QStringLiteral("Welcome to the Halvane demo")));
    QTest::qWait(300);
    QCOMPARE(frm.Timer1Firings(), 0);

    // Leaving it arms the news check: the newest item (103) is newer than the
    // remembered one (102); then the update check offers 2.30, declined.
    QVERIFY(demo.LeaveWelcomePage());
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsMain"));
    QVERIFY(Control<TBalloonHint>(frm, "BalloonHint")->IsShown());
    QCOMPARE(Control<TBalloonHint>(frm, "BalloonHint")->Text(), QStringLiteral("You've Got A Message!\r\nVersion 2.20 is out"));
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kUpdateQuestion});
    QVERIFY(demo.App.ReadFile("mainappupdate.inf").find("Version=2.30") != std::string::npos);
    QCOMPARE(ReadLastNewsId(demo.App.Folder()), std::string("102"));
    Control<TBalloonHint>(frm, "BalloonHint")->Close();
    Control<TMessageBox>(frm, "msgMain")->ClearShown();

    // The walk-through's search: every row exactly as the model says,
    // checksummed PageRank queries included.
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->itemText(2), QStringLiteral("300 items"));
    demo.Search("blue widgets", domain, 2);
    const std::vector<sim::TExpectedRow> expected = sim::ExpectedRows(*demo.Web, "blue widgets", 2, domain);
    QVERIFY(expected.size() > 50);
    const std::vector<sim::TExpectedRow> rows = demo.Rows();
    QCOMPARE(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) QCOMPARE(RowLine(rows[i]), RowLine(expected[i]));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QString::fromStdString(ItemsListedText(expected.size())));
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    const auto has = [&](auto pred) { return std::any_of(expected.begin(), expected.end(), pred); };
    QVERIFY(has([](const sim::TExpectedRow& r) { return r.hasYourLink == "Yes" && r.anchorName != "-"; }));
    QVERIFY(has([](const sim::TExpectedRow& r) { return r.pageRank != "0"; }));
    QVERIFY(has([](const sim::TExpectedRow& r) { return r.alexaRanking.find(',') != std::string::npos; }));

    // Sorting by a header click: "Alexa Ranking" as numbers, then reversed.
    ClickHeader(*Control<QTableView>(frm, "lvwItems"), kColumnAlexaRanking);
    std::vector<TResultItem> sorted = Control<TResultsModel>(frm, "lvwItemsModel")->Items();
    QCOMPARE(sorted.size(), expected.size());
    const auto byRanking = [](const TResultItem& a, const TResultItem& b) {
      return CompareNumbers(a.AlexaRanking, b.AlexaRanking) < 0;
    };
    QVERIFY(std::is_sorted(sorted.begin(), sorted.end(), byRanking));
    QVERIFY(sorted.front().AlexaRanking != sorted.back().AlexaRanking);
    ClickHeader(*Control<QTableView>(frm, "lvwItems"), kColumnAlexaRanking);
    sorted = Control<TResultsModel>(frm, "lvwItemsModel")->Items();
    QVERIFY(std::is_sorted(sorted.rbegin(), sorted.rend(), byRanking));
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->data(Control<TResultsModel>(frm, "lvwItemsModel")->index(0, kColumnURL)).toString(),
             QString::fromStdString(sorted.front().URL));

    // The export writes the list in its shown order; ".csv" is appended.
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(demo.App.Folder() + "blue widgets");
    QTest::mouseClick(Control<QPushButton>(frm, "btnSave"), Qt::LeftButton);
    QCOMPARE(Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->Requests().size(), std::size_t(1));
    const std::vector<std::string> lines = CrLfLines(demo.App.ReadFile("blue widgets.csv"));
    QCOMPARE(lines.size(), sorted.size() + 1);
    QCOMPARE(CsvFields(lines[0]), ResultColumnCaptions());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      const TResultItem& r = sorted[i];
      QCOMPARE(CsvFields(lines[i + 1]),
               (std::vector<std::string>{r.PR, r.URL, r.HomePagePR, r.HasYourLink, r.AnchorName, r.AlexaRanking}));
    }

    // The news window lists the three items; choosing one shows its body
    // (quotes and "$" travel escaped) and remembers its id.
    bool newsShown = false;
    WhenModal<TfrmNews>([&](TfrmNews& news) {
      [&] {
        QCOMPARE(news.lvwItems->topLevelItemCount(), 3);
        QTreeWidgetItem* row102 = nullptr;
        QTreeWidgetItem* row103 = nullptr;
        for (int i = 0; i < news.lvwItems->topLevelItemCount(); ++i) {
          QTreeWidgetItem* row = news.lvwItems->topLevelItem(i);
          if (TfrmNews::RowNewsId(row) == "102") row102 = row;
          if (TfrmNews::RowNewsId(row) == "103") row103 = row;
        }
        QVERIFY(row102 && row103);
        QCOMPARE(row103->text(0), QStringLiteral("Version 2.20 is out"));
        QCOMPARE(row103->text(1), QStringLiteral("2026-12-01"));
        news.lvwItems->setCurrentItem(row102);
        QVERIFY(news.prfEditorNews->toPlainText().contains(
            QStringLiteral("honest anchor such as \"My Shop\". Costs: $0.")));
        news.lvwItems->setCurrentItem(row103);
        QVERIFY(news.prfEditorNews->toPlainText().contains(QStringLiteral("Faster harvesting, CSV export")));
        QCOMPARE(ReadLastNewsId(demo.App.Folder()), std::string("103"));
        newsShown = true;
      }();
      news.btnExit->click();
    });
    QTest::mouseClick(Control<QToolButton>(frm, "btnNews"), Qt::LeftButton);
    QVERIFY(newsShown);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    QCOMPARE(TfrmMainProbe::NewsList(frm)->size(), std::size_t(3));

    // Check Updates: the offer accepted, the closing declined; the program
    // runs on and the updater is not started.
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Ok);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    QTest::mouseClick(Control<QToolButton>(frm, "bsSkinSpeedButton1"), Qt::LeftButton);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), (std::vector<std::string>{kUpdateQuestion, kCloseQuestion}));
    QTest::qWait(200);
    QVERIFY(!demo.App.Exists("updater-run.txt"));
    QVERIFY(demo.App.Exits.empty());
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Count(), expected.size());

    // Closing ends the program and lets the script go.
    frm.close();
    QCOMPARE(demo.App.Exits, std::vector<int>{0});
    QCOMPARE(demo.App.ScriptReleases, 1);
  }
};

HALVANE_QTEST(DemoEditionTest);
#include "DemoEditionTest.moc"
