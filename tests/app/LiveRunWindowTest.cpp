#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/TGauge.h"
#include "tests/support/TLiveSimSetup.h"
#include "app/TResultsModel.h"
#include "toolkit/TSaveDialog.h"
#include "tests/support/TSimProcess.h"
#include "app/TfrmAbout.h"
#include "app/TfrmPagesWithoutRow.h"
#include "app/TfrmSources.h"
#include "sources/TSourcesFile.h"
#include "tables/TTableIndex.h"
#include "base/TScopeExit.h"
#include "tables/TableText.h"

using namespace halvane;
using namespace halvane::test;
using halvane::test::TLiveSimRow;
using halvane::test::TLiveSimSetup;
using halvane::test::TSimProcess;

namespace {

// The rows as the list shows them.
std::vector<TLiveSimRow> ShownRows(const TResultsModel& model) {
  std::vector<TLiveSimRow> rows;
  for (int row = 0; row < model.rowCount(); ++row) {
    TLiveSimRow& cells = rows.emplace_back();
    for (int column = 0; column < model.columnCount() && column < static_cast<int>(cells.size()); ++column) {
      cells[static_cast<std::size_t>(column)] = model.data(model.index(row, column)).toString().toStdString();
    }
  }
  return rows;
}

// A window in live mode against the simulated web.
TfrmMain& LiveWindow(TAppFixture& app, const TLiveSimSetup& setup, const char* keyword) {
  TfrmMain& frm = app.Show();
  frm.UseSources(sources::TSourcesFile::Read(setup.SourcesFile(), true), setup.SourcesFile());
  Control<QLineEdit>(frm, "edtKeyword")->setText(QString::fromLatin1(keyword));
  Control<QLineEdit>(frm, "edtDomain")->setText(QStringLiteral(" MyShop.example "));
  return frm;
}

bool Idle(TfrmMain& frm) { return Control<QPushButton>(frm, "btnSearch")->text() == QStringLiteral("Search") && !frm.LiveRunActive(); }

}  // namespace

// The window's live run against the simulated web over TLS: rows as the
// model says, streamed without blocking; Stop at each stage; a source that
// fails half-way; the Sources dialog's Test and Download.
class LiveRunWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    FSim = std::make_unique<TSimProcess>();
    FSetup = std::make_unique<TLiveSimSetup>(*FSim, "parallel = 4\nper-host = 2");
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(FSetup->Folder() + "/cache"));
  }
  void cleanupTestCase() {
    FSetup.reset();
    FSim.reset();
  }
  void cleanup() { FSim->ClearFaults(); }

  void RowsStreamInAsTheModelSays() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app, *FSetup, "blue widgets");
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(1);
    const auto before = std::chrono::steady_clock::now();
    Control<QPushButton>(frm, "btnSearch")->click();
    // The click returns at once: the run goes on without the window.
    QVERIFY(std::chrono::steady_clock::now() - before < std::chrono::milliseconds(200));
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Stop"));
    QTRY_VERIFY_WITH_TIMEOUT(Idle(frm), 30000);
    const std::vector<TLiveSimRow> expected = FSetup->ExpectedRows("blue widgets", 2, "myshop.example");
    QVERIFY(expected.size() > 5);
    QCOMPARE(ShownRows(*Control<TResultsModel>(frm, "lvwItemsModel")), expected);
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Authority"));
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Comment Links"));
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Traffic Rank"));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("%1 items listed").arg(expected.size()));
    QVERIFY(Control<TGauge>(frm, "MainGauge")->MaxValue() > 0);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->Progress(), Control<TGauge>(frm, "MainGauge")->MaxValue());
    QVERIFY(Control<QLabel>(frm, "MainStatusPanel")->text().startsWith(QStringLiteral("%1 rows from ").arg(expected.size())));

    // Sorting, Save Results with the live captions, delete.
    frm.lvwItemsColumnClick(0);
    const std::vector<TLiveSimRow> sorted = ShownRows(*Control<TResultsModel>(frm, "lvwItemsModel"));
    QVERIFY(std::is_sorted(sorted.begin(), sorted.end(), [](const TLiveSimRow& a, const TLiveSimRow& b) {
      const auto figure = [](const std::string& t) { return t == "-" ? 0 : std::stoi(t); };
      return figure(a[0]) < figure(b[0]);
    }));
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "live");
    Control<QPushButton>(frm, "btnSave")->click();
    const std::string saved = app.ReadFile("live.csv");
    QVERIFY(saved.rfind(
                "\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic "
                "Rank\"\r\n",
                0) == 0);
    QCOMPARE(static_cast<std::size_t>(std::count(saved.begin(), saved.end(), '\n')), expected.size() + 1);
  }

  // Live mode shows its captions before the first search, and Enter in the
  // keyword box starts one; the classic window takes no Enter.
  void LiveCaptionsAtOnceAndEnterSearches() {
    TAppFixture classic;
    TfrmMain& plain = classic.Show();
    Control<QLineEdit>(plain, "edtKeyword")->setText(QStringLiteral("blue widgets"));
    QTest::keyClick(Control<QLineEdit>(plain, "edtKeyword"), Qt::Key_Return);
    QCOMPARE(Control<QPushButton>(plain, "btnSearch")->text(), QStringLiteral("Search"));
    QCOMPARE(Control<TResultsModel>(plain, "lvwItemsModel")->headerData(5, Qt::Horizontal).toString(),
             QStringLiteral("Alexa Ranking"));

    TAppFixture app;
    TfrmMain& frm = LiveWindow(app, *FSetup, "blue widgets");
    const TResultsModel& model = *Control<TResultsModel>(frm, "lvwItemsModel");
    QCOMPARE(model.columnCount(), 7);
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Comment Links"));
    QTest::keyClick(Control<QLineEdit>(frm, "edtKeyword"), Qt::Key_Return);
    QVERIFY(frm.LiveRunActive());
    QTRY_VERIFY_WITH_TIMEOUT(Idle(frm), 30000);
    QVERIFY(model.Count() > 0);
  }

  // Every harvested address without a row is listed with its reason, in
  // live mode only.
  void PagesWithoutARowAreListedWithTheirReason() {
    TAppFixture classic;
    QVERIFY(!Control<QPushButton>(classic.Show(), "btnPagesWithoutRow")->isVisible());
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app, *FSetup, "blue widgets");
    QVERIFY(Control<QPushButton>(frm, "btnPagesWithoutRow")->isVisible());
    Control<QPushButton>(frm, "btnSearch")->click();
    QTRY_VERIFY_WITH_TIMEOUT(Idle(frm), 30000);
    Control<QPushButton>(frm, "btnPagesWithoutRow")->click();
    QVERIFY(Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow") && Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow")->isVisible());
    const QTableWidget& pages = *Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow")->lvwPages;
    // "12 rows from 30 pages, ...": the rows and the pages without one make
    // up every harvested address.
    const QString status = Control<QLabel>(frm, "MainStatusPanel")->text();
    const int found = status.section(QStringLiteral(" from "), 1).section(QLatin1Char(' '), 0, 0).toInt();
    QVERIFY2(found > 0, qPrintable(status));
    QVERIFY(pages.rowCount() > 0);
    QCOMPARE(pages.rowCount() + static_cast<int>(Control<TResultsModel>(frm, "lvwItemsModel")->Count()), found);
    const QStringList reasons = {QStringLiteral("nofollow"), QStringLiteral("not WordPress"),
                                 QStringLiteral("duplicate"), QStringLiteral("robots.txt")};
    for (int row = 0; row < pages.rowCount(); ++row) {
      const QString reason = pages.item(row, 2)->text();
      QVERIFY2(reasons.contains(reason) || reason.startsWith(QStringLiteral("failed: ")), qPrintable(reason));
      QVERIFY(pages.item(row, 0)->text().startsWith(QStringLiteral("http")));
    }
  }

  void SourcesButtonAndAboutText() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    // Classic: the button is there, right of About on its row; no live text.
    QVERIFY(Control<QPushButton>(frm, "btnSources") && Control<QPushButton>(frm, "btnSources")->isVisible());
    QCOMPARE(Control<QPushButton>(frm, "btnSources")->text(), QStringLiteral("Sources"));
    QCOMPARE(Control<QPushButton>(frm, "btnSources")->y(), Control<QPushButton>(frm, "btnAbout")->y());
    QVERIFY(Control<QPushButton>(frm, "btnSources")->x() >= Control<QPushButton>(frm, "btnAbout")->x() + Control<QPushButton>(frm, "btnAbout")->width());
    QVERIFY(!frm.LiveMode());
    QVERIFY(frm.LiveAboutText().empty());
    TAppFixture live;
    TfrmMain& liveFrm = LiveWindow(live, *FSetup, "x");
    const std::string about = liveFrm.LiveAboutText();
    QVERIFY2(about.find("Search: SearXNG at https://127.0.0.1:") != std::string::npos, about.c_str());
    QVERIFY(about.find("Authority: Open PageRank") != std::string::npos);
    QVERIFY(about.find("Le Pochat") != std::string::npos && about.find("NDSS 2019; Tranco list ") != std::string::npos);
    // Every line of it is in view without scrolling; the classic box keeps its size.
    TfrmAbout window(liveFrm.BrandSettings(), &liveFrm, about);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.memAbout->toPlainText().contains(QStringLiteral("Le Pochat")));
    QCOMPARE(window.memAbout->verticalScrollBar()->maximum(), 0);
    QVERIFY(window.memAbout->height() > 4 * window.memAbout->fontMetrics().lineSpacing() * 2);
  }

  void StopEndsEachStageAtOnce() {
    for (const std::string stage : {"harvest", "pages"}) {
      QVERIFY(FSim->SetFaults(stage == "harvest" ? "format=json head-delay:3000"
                                                 : TLiveSimSetup::BlogRules(6, "head-delay:3000")));
      TAppFixture app;
      TfrmMain& frm = LiveWindow(app, *FSetup, "garden tools");
      Control<QPushButton>(frm, "btnSearch")->click();
      const QString stageStatus = stage == "pages" ? QStringLiteral("Judging") : QStringLiteral("Searching");
      QTRY_VERIFY_WITH_TIMEOUT(Control<QLabel>(frm, "MainStatusPanel")->text().startsWith(stageStatus), 10000);
      QVERIFY(frm.LiveRunActive());
      Control<QPushButton>(frm, "btnSearch")->click();
      QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
      // As the run's own test bounds it: room for a loaded machine.
      QTRY_VERIFY_WITH_TIMEOUT(!frm.LiveRunActive(), 1000);
      QVERIFY2(Control<QLabel>(frm, "MainStatusPanel")->text().contains(QStringLiteral("stopped")),
               qPrintable(Control<QLabel>(frm, "MainStatusPanel")->text()));
      FSim->ClearFaults();
    }
  }

  void AnAuthoritySourceFailingHalfWayShowsDashAndSaysWhy() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app, *FSetup, "blue widgets");
    // The first authority call is slow and answers; every later one fails.
    QVERIFY(FSim->SetFaults("/v1/domains/bulk head-delay:800"));
    Control<QPushButton>(frm, "btnSearch")->click();
    QTRY_VERIFY_WITH_TIMEOUT(Control<TResultsModel>(frm, "lvwItemsModel")->Count() >= 1, 10000);
    QVERIFY(FSim->SetFaults("/v1/domains/bulk status:500"));
    QTRY_VERIFY_WITH_TIMEOUT(Idle(frm), 30000);
    const std::vector<TLiveSimRow> expected = FSetup->ExpectedRows("blue widgets", 1, "myshop.example");
    const std::vector<TLiveSimRow> listed = ShownRows(*Control<TResultsModel>(frm, "lvwItemsModel"));
    QCOMPARE(listed.size(), expected.size());
    std::size_t dashes = 0;
    for (std::size_t i = 0; i < listed.size(); ++i) {
      if (listed[i][0] == "-" && expected[i][0] != "-") ++dashes;
      else QCOMPARE(listed[i][0], expected[i][0]);
      for (std::size_t column = 1; column < expected[i].size(); ++column) QCOMPARE(listed[i][column], expected[i][column]);
    }
    QVERIFY(dashes > 0);
    QVERIFY2(Control<QLabel>(frm, "MainStatusPanel")->text().contains(QStringLiteral("Open PageRank")) &&
                 Control<QLabel>(frm, "MainStatusPanel")->text().contains(QStringLiteral("500")),
             qPrintable(Control<QLabel>(frm, "MainStatusPanel")->text()));
  }

  void StopDuringTheAuthorityCallThenSearchAgainFillsAuthority() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app, *FSetup, "blue widgets");
    QVERIFY(FSim->SetFaults("/v1/domains/bulk head-delay:1500"));
    Control<QPushButton>(frm, "btnSearch")->click();
    // A row is listed once its page is judged, and its authority asked.
    QTRY_VERIFY_WITH_TIMEOUT(Control<TResultsModel>(frm, "lvwItemsModel")->Count() >= 1, 10000);
    Control<QPushButton>(frm, "btnSearch")->click();
    QTRY_VERIFY_WITH_TIMEOUT(Idle(frm), 10000);
    FSim->ClearFaults();

    // The same window, the same parts: the second run's figures are all there.
    Control<QPushButton>(frm, "btnSearch")->click();
    QTRY_VERIFY_WITH_TIMEOUT(Idle(frm), 30000);
    QCOMPARE(ShownRows(*Control<TResultsModel>(frm, "lvwItemsModel")), FSetup->ExpectedRows("blue widgets", 1, "myshop.example"));
    QVERIFY2(!Control<QLabel>(frm, "MainStatusPanel")->text().contains(QStringLiteral("aborted")),
             qPrintable(Control<QLabel>(frm, "MainStatusPanel")->text()));
  }

  void SaveResultsQuotesLiveFormulaCellsOnly() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    liverun::TLiveResult result;
    result.Url = "https://x.org/";
    result.CommentsOpen = true;
    result.HasYourLink = true;
    result.Anchor = "=HYPERLINK(\"http://evil.test/\")";
    result.AuthorityAwaited = false;
    Control<TResultsModel>(frm, "lvwItemsModel")->SetColumns(TResultColumns::Live);
    Control<TResultsModel>(frm, "lvwItemsModel")->AddLive(result);
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "live");
    Control<QPushButton>(frm, "btnSave")->click();
    const std::string live = app.ReadFile("live.csv");
    QVERIFY2(live.find("\"'=HYPERLINK(\"\"http://evil.test/\"\")\"") != std::string::npos, live.c_str());
    QVERIFY2(live.find("\"-\",\"https://x.org/\",\"Open\"") != std::string::npos, live.c_str());
    // The classic list is written as it always was.
    Control<TResultsModel>(frm, "lvwItemsModel")->SetColumns(TResultColumns::Classic);
    TResultItem item;
    item.AnchorName = "=HYPERLINK(\"http://evil.test/\")";
    Control<TResultsModel>(frm, "lvwItemsModel")->Add(item);
    Control<TSaveDialog>(frm, "bsSkinSaveDialog1")->QueueAnswer(app.Folder() + "classic");
    Control<QPushButton>(frm, "btnSave")->click();
    QVERIFY(app.ReadFile("classic.csv").find("\"=HYPERLINK(") != std::string::npos);
  }

  void SourcesDialogTestsEachServiceThroughItsSeam() {
    TSourcesSeams seams;
    sources::TSources asked;
    TSourcesSeams::TChecksDone answer;
    seams.Test = [&](const sources::TSources& chosen, TSourcesSeams::TChecksDone done) {
      asked = chosen;
      answer = std::move(done);
      return std::make_shared<int>(0);
    };
    sources::TSources start = sources::TSourcesFile::Read(FSetup->SourcesFile(), true);
    TfrmSources dialog(start, FSetup->Folder() + "/written.ini", seams);
    QCOMPARE(dialog.KeyEdit("authority", "openpagerank-key")->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.KeyEdit("search", "brave-key")->echoMode(), QLineEdit::Password);
    dialog.spnParallel->setValue(7);
    dialog.btnTest->click();
    QCOMPARE(asked.Network.Parallel, 7);
    QVERIFY(!dialog.btnTest->isEnabled());
    std::thread([&] { answer({{"Search (SearXNG)", "OK"}, {"Authority (Open PageRank)", "HTTP 401: bad key"}}); })
        .join();
    QTRY_COMPARE(dialog.lblTest->text(), QStringLiteral("Search (SearXNG): OK\nAuthority (Open PageRank): HTTP 401: bad key"));
    QVERIFY(dialog.btnTest->isEnabled());

    // The real checks against the simulated web.
    TfrmSources real(start, FSetup->Folder() + "/written.ini", TfrmSources::ProductionSeams());
    real.btnTest->click();
    QTRY_COMPARE_WITH_TIMEOUT(real.lblTest->text(),
                              QStringLiteral("Search (SearXNG): OK\nAuthority (Open PageRank): OK\n"
                                             "Traffic rank (Tranco list): OK"),
                              10000);
  }

  void SourcesDialogTestLeavesTheWindowFreeWhileAListOpens() {
    // A Tranco list whose cached index is a FIFO: opening the list waits for
    // a writer there, who comes only once the click has returned (or after a
    // minute, as a safety).
    const std::string list = FSetup->Folder() + "/fifo-indexed.csv";
    std::ofstream(list) << "1,example.com\n";
    const std::string fifo = tables::TTableIndex::IndexPathFor(std::filesystem::canonical(list).string(),
                                                               tables::DefaultCacheDir(), tables::TTableKind::Tranco);
    std::filesystem::create_directories(std::filesystem::path(fifo).parent_path());
    ::unlink(fifo.c_str());
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    sources::TSources chosen;
    chosen.Ranking = sources::TRankingSource::Tranco;
    chosen.TrancoFile = list;
    std::mutex lock;
    std::condition_variable changed;
    bool clickReturned = false;
    bool stop = false;
    std::atomic<bool> fed{false};
    std::thread writer([&] {
      {
        // The minute is a safety bound: the click returns at once when the
        // check runs off the interface thread.
        std::unique_lock held(lock);
        changed.wait_for(held, std::chrono::minutes(1), [&] { return clickReturned || stop; });
      }
      // Read-write: the open never waits for a reader, and it releases a
      // reader already waiting for a writer (one on the interface thread
      // would have held the click until now).
      const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) return;
      struct stat info {};
      if (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) {
        ::close(fd);  // the list's index was rebuilt in its place: nothing to feed
        return;
      }
      fed = true;
      const std::string garbage = "not an index";
      [[maybe_unused]] const ssize_t written = ::write(fd, garbage.data(), garbage.size());
      ::close(fd);
    });
    // However the test ends, the writer stops.
    const TScopeExit stopWriter([&] {
      {
        std::lock_guard held(lock);
        stop = true;
      }
      changed.notify_all();
      writer.join();
      ::unlink(fifo.c_str());
    });
    TfrmSources dialog(chosen, FSetup->Folder() + "/unused.ini", TfrmSources::ProductionSeams());
    dialog.btnTest->click();
    const bool fedDuringClick = fed.load();
    {
      std::lock_guard held(lock);
      clickReturned = true;
    }
    changed.notify_all();
    QVERIFY(!fedDuringClick);
    QCOMPARE(dialog.lblTest->text(), QStringLiteral("Asking each service..."));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.btnTest->isEnabled(), 60000);
    QVERIFY2(dialog.lblTest->text().startsWith(QStringLiteral("Traffic rank (Tranco list): ")),
             qPrintable(dialog.lblTest->text()));
  }

  void SourcesDialogCancelsADownload() {
    std::weak_ptr<int> handle;
    TSourcesSeams::TProgress progress;
    TSourcesSeams seams;
    seams.Download = [&](const sources::TSources&, TSourcesSeams::TProgress step, TSourcesSeams::TDownloadDone) {
      auto work = std::make_shared<int>(0);
      handle = work;
      progress = std::move(step);
      return work;
    };
    TfrmSources dialog(sources::TSources{}, FSetup->Folder() + "/unused.ini", seams);
    dialog.btnDownload->click();
    QVERIFY(!dialog.btnDownload->isEnabled());
    progress(300 * 1024);
    QTRY_COMPARE(dialog.lblDownload->text(), QStringLiteral("Downloading... 300 KiB"));
    dialog.btnCancelDownload->click();
    QVERIFY(handle.expired());  // the work is ended, no callback after
    QVERIFY(dialog.btnDownload->isEnabled());
    QCOMPARE(dialog.lblDownload->text(), QStringLiteral("Download failed, the old list stays: cancelled"));
  }

  void SourcesDialogDownloadsAndChecksTheList() {
    sources::TSources start = sources::TSourcesFile::Read(FSetup->SourcesFile(), true);
    const std::string target = FSetup->Folder() + "/downloaded.csv";
    start.TrancoFile = target;
    {
      TfrmSources dialog(start, FSetup->Folder() + "/written.ini", TfrmSources::ProductionSeams());
      dialog.btnDownload->click();
      QVERIFY(dialog.btnCancelDownload->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(dialog.btnDownload->isEnabled(), 10000);
      QCOMPARE(dialog.lblDownload->text(), QStringLiteral("The new list is in place."));
      QVERIFY(std::filesystem::file_size(target) > 100);
    }
    // Not a Tranco list: the old one stays.
    const auto before = std::filesystem::file_size(target);
    start.TrancoUrl = FSim->HttpsServiceUrl() + "/search?q=x&format=json&pageno=1";
    TfrmSources dialog(start, FSetup->Folder() + "/written.ini", TfrmSources::ProductionSeams());
    dialog.btnDownload->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.btnDownload->isEnabled(), 10000);
    QVERIFY2(dialog.lblDownload->text().startsWith(QStringLiteral("Download failed, the old list stays")),
             qPrintable(dialog.lblDownload->text()));
    QCOMPARE(std::filesystem::file_size(target), before);
    QVERIFY(!std::filesystem::exists(target + ".part"));

    // OK writes the file as the program reads it.
    dialog.btnOk->click();
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(sources::TSourcesFile::Read(FSetup->Folder() + "/written.ini", true).TrancoUrl, start.TrancoUrl);
  }

 private:
  std::unique_ptr<TSimProcess> FSim;
  std::unique_ptr<TLiveSimSetup> FSetup;
};

HALVANE_QTEST(LiveRunWindowTest);
#include "LiveRunWindowTest.moc"
