#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QLabel>
#include <QTest>

#include "app/TProgram.h"
#include "app/TResultsFilter.h"
#include "app/TResultsModel.h"
#include "app/TfrmLinkCheck.h"
#include "app/TfrmPagesWithoutRow.h"
#include "livesetup/TStoreMemory.h"
#include "search/ResultsList.h"
#include "store/OpenStore.h"
#include "tests/app/TAppFixture.h"
#include "tests/liverun/LiveResultRows.h"
#include "tests/app/TestWindowHelpers.h"
#include "tests/toolkit/QtTestMain.h"

using namespace halvane;
using namespace halvane::test;

namespace {

using liverun::test::KnownRow;

// Live mode without a search engine to reach: the rows come from the test.
sources::TSources LiveSources(const std::string& storePath) {
  sources::TSources chosen;
  chosen.Engine = sources::TSearchEngine::Searxng;
  chosen.SearxngUrl = "http://127.0.0.1:9/search";
  chosen.Store.Path = storePath;
  return chosen;
}

TfrmMain& LiveWindow(TAppFixture& app, bool store = true) {
  TfrmMain& frm = app.Show();
  sources::TSources chosen = LiveSources(app.Folder() + "halvane.db");
  chosen.Store.Use = store;
  frm.UseSources(chosen, app.Folder() + "sources.ini");
  return frm;
}

// Four rows: open/followed with the user's link, open/mixed, closed, and one
// whose authority is still awaited.
void AddFourRows(TfrmMain& frm) {
  TLiveSearchView& view = TfrmMainProbe::LiveView(frm);
  view.AddLiveRow(KnownRow("https://a.example/one", true, pagetest::TCommentLinks::Followed, true, 6, true));
  view.AddLiveRow(KnownRow("https://b.example/two", true, pagetest::TCommentLinks::Mixed, false, 3, false));
  view.AddLiveRow(KnownRow("https://c.example/three", false, pagetest::TCommentLinks::NoneYet, false, 8, false));
  liverun::TLiveResult awaited = KnownRow("https://d.example/four", true, pagetest::TCommentLinks::Followed, false, {}, true);
  awaited.AuthorityAwaited = true;
  view.AddLiveRow(awaited);
}

QStringList ShownAddresses(TfrmMain& frm) {
  const QAbstractItemModel* shown = Control<QTableView>(frm, "lvwItems")->model();
  QStringList addresses;
  for (int row = 0; row < shown->rowCount(); ++row) addresses << shown->index(row, 1).data().toString();
  return addresses;
}

void SelectShownRows(TfrmMain& frm, std::initializer_list<int> rows) {
  QTableView* list = Control<QTableView>(frm, "lvwItems");
  list->clearSelection();
  for (int row : rows) {
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

void Trigger(TfrmMain& frm, const char* action) { Control<QAction>(frm, action)->trigger(); }

QString Status(TfrmMain& frm) { return Control<QLabel>(frm, "MainStatusPanel")->text(); }

}  // namespace

// Live mode's window as a workbench: the filter bar, the second view, the
// rows' menu and keys, the store's actions and history; none of it in the
// classic window.
class WorkbenchWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void TheClassicWindowShowsNoneOfIt() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    for (const char* name : {"tabViews", "pnlFilter", "btnRecheck", "btnHistory", "frmPagesWithoutRow"}) {
      QVERIFY2(!Control<QWidget>(frm, name)->isVisible(), name);
    }
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->model(), Control<TResultsModel>(frm, "lvwItemsModel"));
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->geometry().top(), 176);
    // Live mode on and off again leaves it as it was.
    frm.UseSources(LiveSources(app.Folder() + "halvane.db"), app.Folder() + "sources.ini");
    QVERIFY(Control<QWidget>(frm, "pnlFilter")->isVisible());
    QVERIFY(Control<QTableView>(frm, "lvwItems")->geometry().top() > 176);
    frm.UseSources(sources::TSources{}, app.Folder() + "sources.ini");
    QVERIFY(!Control<QWidget>(frm, "pnlFilter")->isVisible());
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->model(), Control<TResultsModel>(frm, "lvwItemsModel"));
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->geometry().top(), 176);
  }

  // The classic window stays as it is; Sources' hint and --help say where
  // live mode is.
  void ANewUserIsToldWhereLiveModeIs() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QVERIFY(Control<QPushButton>(frm, "btnSources")->toolTip().startsWith(QStringLiteral("Live mode: ")));
    char program[] = "halvane";
    char help[] = "--help";
    char* argv[] = {program, help, nullptr};
    QCOMPARE(TProgram::Run(2, argv), 0);
    const std::string text = TProgram::HelpText();
    QVERIFY(text.find("--sources FILE") != std::string::npos);
    QVERIFY(text.find("Press Sources") != std::string::npos);
  }

  void TheFilterBarNarrowsTheListAndTheCountSaysHowMany() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app);
    AddFourRows(frm);
    TfrmMainProbe::LiveView(frm).LiveRunEnded({});
    QCOMPARE(ShownAddresses(frm).size(), 4);

    Control<QComboBox>(frm, "cbxCommentsOpen")->setCurrentIndex(1);  // open
    QCOMPARE(ShownAddresses(frm), (QStringList{"https://a.example/one", "https://b.example/two", "https://d.example/four"}));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("3 of 4 rows"));
    Control<QComboBox>(frm, "cbxCommentLinks")->setCurrentIndex(1);  // followed
    QCOMPARE(ShownAddresses(frm), (QStringList{"https://a.example/one", "https://d.example/four"}));
    Control<QComboBox>(frm, "cbxYourLink")->setCurrentIndex(2);  // without
    QCOMPARE(ShownAddresses(frm), QStringList{"https://d.example/four"});
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("1 of 4 rows"));

    // Authority that arrives later puts a row in or out.
    Control<QPushButton>(frm, "btnClearFilter")->click();
    Control<QSpinBox>(frm, "spnMinAuthority")->setValue(5);
    QCOMPARE(ShownAddresses(frm), (QStringList{"https://a.example/one", "https://c.example/three"}));
    liverun::TLiveResult arrived = KnownRow("https://d.example/four", true, pagetest::TCommentLinks::Followed, false, 7, true);
    TfrmMainProbe::LiveView(frm).UpdateLiveRow(4, arrived);
    QCOMPARE(ShownAddresses(frm).size(), 3);

    Control<QPushButton>(frm, "btnClearFilter")->click();
    Control<QCheckBox>(frm, "chkNewOnly")->setChecked(true);
    QCOMPARE(ShownAddresses(frm), (QStringList{"https://a.example/one", "https://d.example/four"}));
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("2 of 4 rows"));
    Control<QPushButton>(frm, "btnClearFilter")->click();
    QCOMPARE(Control<QLabel>(frm, "stpItems")->text(), QStringLiteral("4 items listed"));
  }

  void TheRowsMenuAndKeysActOnTheHighlightedRowsThroughTheFilter() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app);
    AddFourRows(frm);
    TfrmMainProbe::LiveView(frm).LiveRunEnded({});
    Control<QComboBox>(frm, "cbxCommentsOpen")->setCurrentIndex(2);  // closed: only c
    // Shown row 0 is the model's third row.
    SelectShownRows(frm, {0});
    Trigger(frm, "actCopyAddress");
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("https://c.example/three"));
    Trigger(frm, "actOpen");
    QCOMPARE(app.BrowserOpened, std::vector<std::string>{"https://c.example/three"});
    // A double click opens the row's own address (live rows have no classic cells).
    app.BrowserOpened.clear();
    frm.lvwItemsDblClick();
    QCOMPARE(app.BrowserOpened, std::vector<std::string>{"https://c.example/three"});

    Control<QPushButton>(frm, "btnClearFilter")->click();
    SelectShownRows(frm, {0, 2});
    QTableView* list = Control<QTableView>(frm, "lvwItems");
    list->setFocus();
    QTest::keySequence(list, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("6\thttps://a.example/one\tOpen\tFollowed\tYes\t-\t-\n"
                            "8\thttps://c.example/three\tClosed\tNone yet\tNo\t-\t-\n"));
    // Delete asks as Delete Selected does; Cancel keeps the rows.
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(ShownAddresses(frm).size(), 4);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(ShownAddresses(frm), (QStringList{"https://b.example/two", "https://d.example/four"}));
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")).back(),
             std::string(kDeleteSelectedQuestion));
  }

  void TheClassicListTakesNoneOfTheLiveKeys() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QTableView* list = Control<QTableView>(frm, "lvwItems");
    QCOMPARE(list->contextMenuPolicy(), Qt::DefaultContextMenu);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    // Ctrl+C stays the list's own: the current cell's text, not a row.
    TResultItem item;
    item.URL = "http://blog.example/post";
    item.PR = "3";
    Control<TResultsModel>(frm, "lvwItemsModel")->Add(item);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 1));
    QApplication::clipboard()->clear();
    QTest::keySequence(list, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("http://blog.example/post"));
    QTest::keyClick(list, Qt::Key_Delete);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    QCOMPARE(Control<TResultsModel>(frm, "lvwItemsModel")->Count(), std::size_t{1});
  }

  void PagesWithoutARowAreTheSecondViewWithTheSourcesErrorsInFull() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app);
    Control<QPushButton>(frm, "btnPagesWithoutRow")->click();
    QVERIFY(Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow")->isVisible());
    QVERIFY(!Control<QTableView>(frm, "lvwItems")->isVisible());
    QVERIFY(!Control<QWidget>(frm, "pnlFilter")->isVisible());
    // Pages come in while the run goes on.
    TfrmMainProbe::LiveView(frm).AddPageWithoutRow(
        {"blue widgets", "https://x.example/", "https://x.example/", "not WordPress", ""});
    QCOMPARE(Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow")->lvwPages->rowCount(), 1);
    QCOMPARE(Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow")->lblCount->text(),
             QStringLiteral("1 harvested address has no row"));
    liverun::TLiveRunSummary summary;
    summary.SourceError = "SearXNG at http://127.0.0.1:9/search: HTTP 403: JSON output disabled; add json to "
                          "search.formats in its settings.yml and restart it" + std::string(120, '.');
    summary.Note = "Authority: Open PageRank refused the key (HTTP 401): check [authority] openpagerank-key";
    TfrmMainProbe::LiveView(frm).LiveRunEnded(summary);
    QLabel* problems = Control<QLabel>(frm, "lblSourceProblems");
    QVERIFY(problems->isVisible());
    QVERIFY(problems->wordWrap());
    QCOMPARE(problems->text().toStdString(), summary.SourceError + "\n" + summary.Note);
    QCOMPARE(Control<QTabBar>(frm, "tabViews")->tabText(1), QStringLiteral("Pages without a row (problems)"));
    Control<QTabBar>(frm, "tabViews")->setCurrentIndex(0);
    QVERIFY(Control<QTableView>(frm, "lvwItems")->isVisible());
    QVERIFY(!Control<TfrmPagesWithoutRow>(frm, "frmPagesWithoutRow")->isVisible());
  }

  void BlacklistAndCommentsGoToTheStore() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app);
    AddFourRows(frm);
    SelectShownRows(frm, {1});
    Trigger(frm, "actBlacklistDomain");
    QTRY_COMPARE_WITH_TIMEOUT(Status(frm), QStringLiteral("b.example is on the blacklist now: later runs skip its pages"), 20000);
    Trigger(frm, "actBlacklistDomain");
    QTRY_COMPARE_WITH_TIMEOUT(Status(frm), QStringLiteral("b.example was on the blacklist already"), 20000);
    Trigger(frm, "actCommented");
    QTRY_VERIFY_WITH_TIMEOUT(Status(frm).startsWith(QStringLiteral("Your comment on https://b.example/two is recorded")), 20000);
    const auto stored = store::OpenStore(app.Folder() + "halvane.db");
    QCOMPARE(stored->Blacklist().size(), std::size_t{1});
    QCOMPARE(stored->Links().at(0).Address, std::string("https://b.example/two"));
  }

  void ReCheckLinksAsksForTheDomainThenChecksTheStoresLinks() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app);
    Control<QPushButton>(frm, "btnRecheck")->click();
    QCOMPARE(Status(frm), QStringLiteral("Type your domain first: Re-check Links looks for links to it"));
    QVERIFY(FindControl<TfrmLinkCheck>(frm, "frmLinkCheck") == nullptr);
    store::OpenStore(app.Folder() + "halvane.db")->AddLink("http://127.0.0.1:9/post/", "127.0.0.1");
    Control<QLineEdit>(frm, "edtDomain")->setText(QStringLiteral("myshop.example"));
    Control<QPushButton>(frm, "btnRecheck")->click();
    TfrmLinkCheck* check = Control<TfrmLinkCheck>(frm, "frmLinkCheck");
    QVERIFY(check->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!check->Checking(), 60000);
    QCOMPARE(check->lvwLinks->rowCount(), 1);
    QCOMPARE(check->lblSummary->text(), QStringLiteral("1 page checked: 0 followed, 0 nofollow, 0 missing, 0 gone, 1 failed"));
  }

  void WithTheStoreOffTheActionsSaySo() {
    TAppFixture app;
    TfrmMain& frm = LiveWindow(app, false);
    AddFourRows(frm);
    SelectShownRows(frm, {0});
    Trigger(frm, "actCommented");
    QTRY_VERIFY_WITH_TIMEOUT(Status(frm).startsWith(QStringLiteral("The store is off ([store] use = no")), 20000);
    QVERIFY(!app.Exists("halvane.db"));
  }

  void HistoryLoadsEarlierRowsAndAsksBeforeReplacingUnsavedOnes() {
    TAppFixture app;
    {
      const auto stored = store::OpenStore(app.Folder() + "halvane.db");
      const std::int64_t run = stored->BeginRun({"blue widgets"}, {}, "SearXNG");
      liverun::TLiveResult kept = KnownRow("https://old.example/post", true, pagetest::TCommentLinks::Followed, false, 4);
      const store::TVerdictRecord verdicts[] = {
          livesetup::VerdictRecord({"blue widgets", "https://old.example/post", "https://old.example/post", "kept", ""},
                                   &kept, run),
          livesetup::VerdictRecord({"blue widgets", "https://gone.example/", "https://gone.example/", "not WordPress", ""},
                                   nullptr, run)};
      stored->RecordVerdicts(verdicts);
    }
    TfrmMain& frm = LiveWindow(app);
    // An empty list takes the rows without asking.
    Trigger(frm, "actHistoryMonth");
    QTRY_COMPARE_WITH_TIMEOUT(ShownAddresses(frm), QStringList{"https://old.example/post"}, 20000);
    QVERIFY(Status(frm).startsWith(QStringLiteral("1 row from the store (")));
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());

    // Rows of a search not saved: No keeps them and adds below, Cancel
    // leaves the list alone.
    AddFourRows(frm);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::No);
    Trigger(frm, "actHistoryAll");
    QTRY_COMPARE_WITH_TIMEOUT(ShownAddresses(frm).size(), 6, 20000);
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown().back().Buttons, TMsgButtons::YesNoCancel);
    QVERIFY(Texts(*Control<TMessageBox>(frm, "msgMain")).back().find("4 rows that you have not saved") != std::string::npos);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    Trigger(frm, "actHistoryAll");
    QTRY_COMPARE_WITH_TIMEOUT(Control<TMessageBox>(frm, "msgMain")->Shown().size(), std::size_t{2}, 20000);
    QCOMPARE(ShownAddresses(frm).size(), 6);
    // A Search asks too, and Cancel starts nothing.
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("blue widgets"));
    Control<QPushButton>(frm, "btnSearch")->click();
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown().size(), std::size_t{3});
    QVERIFY(!frm.LiveRunActive());
    QCOMPARE(ShownAddresses(frm).size(), 6);
    // Yes replaces them.
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Yes);
    Trigger(frm, "actHistoryAll");
    QTRY_COMPARE_WITH_TIMEOUT(ShownAddresses(frm), QStringList{"https://old.example/post"}, 20000);
  }
};

HALVANE_QTEST(WorkbenchWindowTest);
#include "WorkbenchWindowTest.moc"
