#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "toolkit/TMessageBox.h"
#include "tests/app/TLoopbackServer.h"
#include "tests/app/TestWindowHelpers.h"

using namespace halvane;
using namespace halvane::test;

namespace {

std::string Link(const std::string& address) { return "<a href=\"/url?q=" + address + "\">r</a>\n"; }
const char* const kPager = "<a href=\"/next\">Next</a>\n";

// The start= value of a result-page request, or -1.
int StartOf(const std::string& target) {
  const std::size_t at = target.find("&start=");
  return at == std::string::npos ? -1 : std::stoi(target.substr(at + 7));
}

const std::string kKeywordNotice = "You need enter a keyword to make a search.";

}  // namespace

class SearchTest : public QObject {
  Q_OBJECT

 private slots:
  void HarvestTakesNewPlainHttpLinksUntilThePager() {
    TLoopbackServer server([](const std::string& target) {
      if (StartOf(target) == 0)
        return TLoopbackReply{200, "<html>" + Link("http://a.test/1") + Link("HTTP://A.TEST/1") +
                                       Link("https://secure.test/") + Link("/relative") +
                                       Link("http://images.google.com/i?x") + Link("http://b.test/2") + kPager +
                                       "</html>"};
      // The last page: no pager, so only its first accepted link counts.
      return TLoopbackReply{200, Link("https://s.test/") + Link("http://a.test/1") + Link("http://d.test/") +
                                     Link("http://e.test/")};
    });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("blue widgets"));
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(2);
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(TfrmMainProbe::HarvestedUrls(frm)->Items(), (std::vector<std::string>{"http://a.test/1", "http://b.test/2"}));
    const auto targets = server.Targets();
    QCOMPARE(targets.size(), std::size_t{2});
    QCOMPARE(targets[0], std::string("/search?num=100&hl=en&q=%22blue+widgets%22+%22comment%22+%22powered+by+"
                                     "wordpress%22&btnG=Search&start=0"));
    QCOMPARE(StartOf(targets[0]), 0);
    QCOMPARE(StartOf(targets[1]), 100);
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("0 items listed"));
    QVERIFY(Control<QTableView>(frm, "lvwItems")->horizontalHeader()->sectionsClickable());
    QVERIFY(!frm.RunActive());
    QVERIFY(!app.Exists("test.html"));
  }

  void LastPageGivesItsFirstAcceptedLinkOnly() {
    TLoopbackServer server([](const std::string&) {
      return TLoopbackReply{200, Link("https://s.test/") + Link("http://d.test/") + Link("http://e.test/")};
    });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(9);
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(TfrmMainProbe::HarvestedUrls(frm)->Items(), std::vector<std::string>{"http://d.test/"});
    QCOMPARE(server.Targets().size(), std::size_t{1});
  }

  void DepthBoundsTheResultPagesAndFailedPagesAreSkipped() {
    for (int depth : {0, 9, 10}) {
      TLoopbackServer server([](const std::string& target) {
        if (StartOf(target) == 300) return TLoopbackReply{404, "gone"};
        return TLoopbackReply{200, Link("http://p" + std::to_string(StartOf(target)) + ".test/") + kPager};
      });
      TAppFixture app;
      app.Endpoints.SearchHost = server.HostPort();
      TfrmMain& frm = app.Show();
      Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
      Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(depth);
      Control<QPushButton>(frm, "btnSearch")->click();
      const auto targets = server.Targets();
      QCOMPARE(static_cast<int>(targets.size()), depth + 1);
      for (int p = 0; p <= depth; ++p) QCOMPARE(StartOf(targets[p]), p * 100);
      // The failed page contributes nothing and the harvest goes on.
      QCOMPARE(static_cast<int>(TfrmMainProbe::HarvestedUrls(frm)->Size()), depth >= 3 ? depth : depth + 1);
    }
  }

  void PageWithoutLinksOrPagerEndsTheHarvest() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "<html>nothing</html>"}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(5);
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(server.Targets().size(), std::size_t{1});
    QVERIFY(TfrmMainProbe::HarvestedUrls(frm)->Empty());
  }

  void EmptyKeywordOnlyShowsTheNotice() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "x"}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLabel>(frm, "stpItems")->setText(QStringLiteral("7 items listed"));
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown().size(), std::size_t{1});
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown()[0].Text, kKeywordNotice);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown()[0].Kind == TMsgKind::Information);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown()[0].Buttons == TMsgButtons::Ok);
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("7 items listed"));
    QVERIFY(server.Targets().empty());
    // A keyword of blanks is searched.
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("   "));
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(server.Targets().size(), std::size_t{1});
  }

  void StopShowsSearchAtOnceAndEndsASilentRequest() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "", true}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(9);
    QString captionDuring, captionAfterStop;
    bool headerDuring = true;
    QTimer::singleShot(150, [&] {
      captionDuring = Control<QPushButton>(frm, "btnSearch")->text();
      headerDuring = Control<QTableView>(frm, "lvwItems")->horizontalHeader()->sectionsClickable();
      Control<QPushButton>(frm, "btnSearch")->click();
      captionAfterStop = Control<QPushButton>(frm, "btnSearch")->text();
      QVERIFY(frm.FetchInProgress());
    });
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(captionDuring, QStringLiteral("Stop"));
    QVERIFY(!headerDuring);
    QCOMPARE(captionAfterStop, QStringLiteral("Search"));
    QVERIFY(TfrmMainProbe::StopRequested(frm));
    // No further page was requested after the stop.
    QCOMPARE(server.Targets().size(), std::size_t{1});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("0 items listed"));
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
    QVERIFY(!app.Exists("test.html"));
  }

  void StopWithAnEmptyKeywordShowsTheNoticeAndTheRunGoesOn() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "", true}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    bool stoppedByEmptyClick = true;
    QString captionAfterEmptyClick;
    QTimer::singleShot(100, [&] {
      Control<QLineEdit>(frm, "edtKeyword")->clear();
      Control<QPushButton>(frm, "btnSearch")->click();
      stoppedByEmptyClick = TfrmMainProbe::StopRequested(frm);
      captionAfterEmptyClick = Control<QPushButton>(frm, "btnSearch")->text();
      Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
      QTimer::singleShot(100, [&] { Control<QPushButton>(frm, "btnSearch")->click(); });
    });
    Control<QPushButton>(frm, "btnSearch")->click();
    QVERIFY(!stoppedByEmptyClick);
    QCOMPARE(captionAfterEmptyClick, QStringLiteral("Stop"));
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown().size(), std::size_t{1});
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown()[0].Text, kKeywordNotice);
  }

  void SearchClickWhileTheStoppedRunHasNotReturnedIsIgnored() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "", true}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    bool secondRunStarted = false;
    QTimer::singleShot(100, [&] {
      Control<QPushButton>(frm, "btnSearch")->click();  // Stop
      QVERIFY(frm.RunActive());
      Control<QPushButton>(frm, "btnSearch")->click();  // reads "Search", but the first run is still out
      secondRunStarted = Control<QPushButton>(frm, "btnSearch")->text() == QLatin1String("Stop") || !TfrmMainProbe::StopRequested(frm);
    });
    Control<QPushButton>(frm, "btnSearch")->click();
    QVERIFY(!secondRunStarted);
    QCOMPARE(server.Targets().size(), std::size_t{1});
    QVERIFY(!frm.RunActive());
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
  }

  void ClosingDuringASearchEndsTheProcessWithoutWaiting() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "", true}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    bool requestPendingAtExit = false;
    QTimer::singleShot(150, [&] {
      frm.close();
      requestPendingAtExit = frm.FetchInProgress() && app.Exits.size() == 1;
    });
    Control<QPushButton>(frm, "btnSearch")->click();
    QVERIFY(requestPendingAtExit);
    QCOMPARE(app.Exits, std::vector<int>{0});
    QCOMPARE(app.ScriptReleases, 1);
    QVERIFY(!TfrmMainProbe::HarvestedUrls(frm));
  }

  void PageFileThatCannotBeCreatedEndsTheRunIdle() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, Link("http://a.test/") + kPager}; });
    TAppFixture app;
    app.Endpoints.SearchHost = server.HostPort();
    std::filesystem::create_directory(app.Folder() + "test.html");
    TfrmMain& frm = app.Show();
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("k"));
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
    QVERIFY(!frm.RunActive());
    QVERIFY(Control<QTableView>(frm, "lvwItems")->horizontalHeader()->sectionsClickable());
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown().size(), std::size_t{1});
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown()[0].Kind == TMsgKind::Warning);
    QVERIFY(server.Targets().empty());
    // The next run works once the folder is writable again.
    std::filesystem::remove(app.Folder() + "test.html");
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(server.Targets().size(), std::size_t{1});
  }
};

HALVANE_QTEST(SearchTest);
#include "SearchTest.moc"
