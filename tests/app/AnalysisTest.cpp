#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/sim/Expectation.h"
#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "app/TResultsModel.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"
#include "tests/app/TestWindowHelpers.h"

using namespace halvane;
using namespace halvane::test;
using namespace halvane::sim;

namespace {

const char* const kUserDomain = "myshop.example";

// The PageRank worker's request is on its way (its status text replaces
// the rank query's own).
bool RankRequestRunning(const TfrmMain& frm) {
  return Control<QLabel>(frm, "MainStatusPanel")->text().contains(QStringLiteral("navclient-auto"));
}

// Runs the search and presses Stop from inside its event processing as soon
// as condition holds.
void SearchStoppedWhen(TfrmMain& frm, std::function<bool()> condition) {
  auto* poll = new QTimer(&frm);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &frm, condition] {
    if (!condition()) return;
    poll->stop();
    Control<QPushButton>(frm, "btnSearch")->click();
  });
  poll->start(2);
  Control<QPushButton>(frm, "btnSearch")->click();
}

// A window whose every service is the simulated web.
void PointAtSim(TAppFixture& app, int port) {
  app.Endpoints = SimulatedWebEndpoints(port);
  app.RealChecksumScript = true;
}

TfrmMain& Search(TAppFixture& app, const char* keyword, int depth, const char* domain = kUserDomain) {
  TfrmMain& frm = ShowQuiet(app);
  Control<QLineEdit>(frm, "edtKeyword")->setText(QString::fromLatin1(keyword));
  Control<QLineEdit>(frm, "edtDomain")->setText(QString::fromLatin1(domain));
  Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(depth);
  return frm;
}

}  // namespace

// Whole runs against the simulated web: every harvested address visited,
// ranks through the checksum-checking PageRank service, link scan, ranking.
class AnalysisTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { FWeb = std::make_unique<TSimWeb>(DefaultSimConfig(), FSim.Port()); }

  void FullRunsListExactlyWhatTheWebImplies_data() {
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("domain");
    QTest::newRow("100 items") << "garden tools" << 0 << kUserDomain;
    QTest::newRow("300 items") << "garden tools" << 2 << kUserDomain;
    QTest::newRow("domain typed loosely") << "garden tools" << 0 << "  MyShop.EXAMPLE ";
    QTest::newRow("no domain") << "garden tools" << 0 << "";
  }
  void FullRunsListExactlyWhatTheWebImplies() {
    QFETCH(QString, keyword);
    QFETCH(int, depth);
    QFETCH(QString, domain);
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    const std::string kw = keyword.toStdString();
    TfrmMain& frm = Search(app, kw.c_str(), depth, domain.toLatin1().constData());
    Control<QPushButton>(frm, "btnSearch")->click();

    const std::vector<TExpectedRow> expected =
        ExpectedRows(*FWeb, kw, depth, domain.trimmed().toLower().toStdString());
    QVERIFY(expected.size() > 10);
    const std::vector<TExpectedRow> rows = ListedRows(*Control<TResultsModel>(frm, "lvwItemsModel"));
    QCOMPARE(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) QCOMPARE(rows[i], expected[i]);
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QString::number(expected.size()) + QStringLiteral(" items listed"));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), QStringLiteral("Process completed sucessfull!"));
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
    QVERIFY(Control<QTableView>(frm, "lvwItems")->horizontalHeader()->sectionsClickable());
    if (domain.trimmed().isEmpty()) {
      for (const TExpectedRow& row : rows) {
        QCOMPARE(row.hasYourLink, std::string("No"));
        QCOMPARE(row.anchorName, std::string("-"));
      }
    }
  }

  void ProgressTextsWhileTheListFills() {
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    TfrmMain& frm = Search(app, "garden tools", 0);
    QStringList seen;
    bool rankStatusSeen = false;
    bool headerClickableDuringRun = true;
    bool rowSeenWithAddressOnly = false;
    auto* watch = new QTimer(&frm);
    connect(watch, &QTimer::timeout, [&] {
      if (seen.isEmpty() || seen.back() != Control<QLabel>(frm, "stpItems")->text()) seen << Control<QLabel>(frm, "stpItems")->text();
      rankStatusSeen = rankStatusSeen || Control<QLabel>(frm, "MainStatusPanel")->text() == QStringLiteral("Getting Google Page Rank... ");
      if (Control<QPushButton>(frm, "btnSearch")->text() == QStringLiteral("Stop"))
        headerClickableDuringRun = headerClickableDuringRun && Control<QTableView>(frm, "lvwItems")->horizontalHeader()->sectionsClickable();
      const TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
      if (model.Count() > 0 && model.Items().back().PR.empty() && !model.Items().back().URL.empty())
        rowSeenWithAddressOnly = true;
    });
    watch->start(1);
    Control<QPushButton>(frm, "btnSearch")->click();
    watch->stop();
    QVERIFY(!headerClickableDuringRun);
    QVERIFY(rowSeenWithAddressOnly);
    QVERIFY(rankStatusSeen);
    QVERIFY(seen.contains(QStringLiteral("Starting item analisys...")));
    const QRegularExpression progress(QStringLiteral("^\\d+ items found of \\d+ analized$"));
    QVERIFY(std::any_of(seen.begin(), seen.end(), [&](const QString& s) { return progress.match(s).hasMatch(); }));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QString::number(Control<TResultsModel>(frm, "lvwItemsModel")->Count()) + QStringLiteral(" items listed"));
  }

  void StopDuringThePageRankWaitLeavesAnAddressAndAZero() {
    QVERIFY(FSim.SetFaults("navclient-auto silent\n"));
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    TfrmMain& frm = Search(app, "garden tools", 0);
    SearchStoppedWhen(frm, [&] { return Control<TResultsModel>(frm, "lvwItemsModel")->Count() == 1 && RankRequestRunning(frm); });
    QVERIFY(FSim.ClearFaults());

    const TExpectedRow first = ExpectedRows(*FWeb, "garden tools", 0, kUserDomain).front();
    QCOMPARE(ListedRows(*Control<TResultsModel>(frm, "lvwItemsModel")), (std::vector<TExpectedRow>{{first.url, "0", "", "", "", ""}}));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("1 items listed"));
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
  }

  void StopDuringTheHomePageRankWaitCompletesTheRow() {
    // Page queries carry "/blog" and pass; home page queries hang.
    QVERIFY(FSim.SetFaults("/blog head-delay:0\nnavclient-auto silent\n"));
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    TfrmMain& frm = Search(app, "garden tools", 0);
    SearchStoppedWhen(frm, [&] {
      const TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
      return model.Count() == 1 && !model.Items()[0].PR.empty() && RankRequestRunning(frm);
    });
    QVERIFY(FSim.ClearFaults());

    const TExpectedRow first = ExpectedRows(*FWeb, "garden tools", 0, kUserDomain).front();
    QCOMPARE(ListedRows(*Control<TResultsModel>(frm, "lvwItemsModel")),
             (std::vector<TExpectedRow>{{first.url, first.pageRank, "0", first.hasYourLink, first.anchorName, "-"}}));
  }

  void RunAfterAStoppedQueryListsOnlyItsOwnAnswers() {
    // The first run is stopped while its first query is slow on its way;
    // whatever that query still hands back must not reach the second run,
    // whose first rank differs.
    const std::vector<TExpectedRow> second = ExpectedRows(*FWeb, "garden tools", 0, kUserDomain);
    std::string firstKeyword;
    for (const char* candidate : {"blue widgets", "red widgets", "green tea", "old maps", "fast cars"}) {
      const std::vector<TExpectedRow> rows = ExpectedRows(*FWeb, candidate, 0, kUserDomain);
      if (!rows.empty() && rows.front().pageRank != second.front().pageRank) {
        firstKeyword = candidate;
        break;
      }
    }
    QVERIFY2(!firstKeyword.empty(), "no keyword whose first rank differs");
    QVERIFY(FSim.SetFaults("navclient-auto head-delay:400,count:2\n"));
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    TfrmMain& frm = Search(app, firstKeyword.c_str(), 0);
    SearchStoppedWhen(frm, [&] { return Control<TResultsModel>(frm, "lvwItemsModel")->Count() == 1 && RankRequestRunning(frm); });
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Items().front().PR, std::string("0"));

    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("garden tools"));
    Control<QPushButton>(frm, "btnSearch")->click();
    QVERIFY(FSim.ClearFaults());
    QCOMPARE(ListedRows(*Control<TResultsModel>(frm, "lvwItemsModel")), second);
  }

  // The start-up update check holds the client (its server is slow); a
  // Search click meanwhile waits for it and then lists the whole run.
  void SearchDuringTheStartUpUpdateCheckWaitsForIt() {
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    QVERIFY(FSim.SetFaults("mainappupdate.inf head-delay:800\n"));
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("garden tools"));
    Control<QLineEdit>(frm, "edtDomain")->setText(QString::fromLatin1(kUserDomain));
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(0);
    bool clicked = false;
    bool duringCheck = false;
    QString captionAfterClick;
    QTimer::singleShot(400, &frm, [&] {
      duringCheck = frm.Timer1Firings() == 1 && frm.RunActive() == false;
      Control<QPushButton>(frm, "btnSearch")->click();
      captionAfterClick = Control<QPushButton>(frm, "btnSearch")->text();
      clicked = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(clicked, 10000);
    QVERIFY(duringCheck);
    QCOMPARE(captionAfterClick, QStringLiteral("Stop"));
    QTRY_VERIFY_WITH_TIMEOUT(!frm.RunWaiting() && !frm.RunActive(), 120000);
    QVERIFY(FSim.ClearFaults());
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
    const std::vector<TExpectedRow> expected = ExpectedRows(*FWeb, "garden tools", 0, kUserDomain);
    QVERIFY(expected.size() > 10);
    QCOMPARE(ListedRows(*Control<TResultsModel>(frm, "lvwItemsModel")), expected);
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QString::number(expected.size()) + QStringLiteral(" items listed"));
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
  }

  void StopCancelsASearchWaitingForTheClient() {
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    QVERIFY(FSim.SetFaults("mainappupdate.inf head-delay:800\n"));
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("garden tools"));
    bool stopped = false;
    QTimer::singleShot(400, &frm, [&] {
      Control<QPushButton>(frm, "btnSearch")->click();
      QVERIFY(frm.RunWaiting());
      Control<QPushButton>(frm, "btnSearch")->click();
      stopped = !frm.RunWaiting() && Control<QPushButton>(frm, "btnSearch")->text() == QStringLiteral("Search");
    });
    QTRY_VERIFY_WITH_TIMEOUT(stopped, 10000);
    // The check returns and the cancelled run never starts.
    QTest::qWait(1200);
    QVERIFY(FSim.ClearFaults());
    QVERIFY(!frm.RunActive());
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Count(), std::size_t{0});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("0 items listed"));
  }

  void NoHarvestedAddressGoesStraightToNoItems() {
    TAppFixture app;
    PointAtSim(app, FSim.Port());
    TfrmMain& frm = Search(app, "garden tools", 0);
    QVERIFY(FSim.SetFaults("/search?num= status:503\n"));
    QStringList seen;
    auto* watch = new QTimer(&frm);
    connect(watch, &QTimer::timeout, [&] {
      if (seen.isEmpty() || seen.back() != Control<QLabel>(frm, "stpItems")->text()) seen << Control<QLabel>(frm, "stpItems")->text();
    });
    watch->start(1);
    Control<QPushButton>(frm, "btnSearch")->click();
    QVERIFY(FSim.ClearFaults());
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Count(), std::size_t{0});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("0 items listed"));
    QVERIFY(!seen.contains(QStringLiteral("0 items found of 1 analized")));
  }

 private:
  test::TSimProcess FSim;
  std::unique_ptr<TSimWeb> FWeb;
};

HALVANE_QTEST(AnalysisTest);
#include "AnalysisTest.moc"
