#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <memory>
#include <string>

#include "app/TResultsModel.h"
#include "app/TfrmAbout.h"
#include "app/TfrmLinkCheck.h"
#include "app/TfrmSources.h"
#include "sources/TSourcesFile.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/Screenshot.h"
#include "tests/app/TestWindowHelpers.h"
#include "tests/support/TLiveSimSetup.h"
#include "tests/support/TSimProcess.h"
#include "tests/toolkit/QtTestMain.h"

using namespace halvane;
using namespace halvane::test;

// Pictures of the live window before, during and after a run against the
// simulated web, and of each of its views, on a real X display; kept as
// test artefacts (not compared with anything).
class LiveScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void TheLiveWindowAndItsViews() {
    TSimProcess sim;
    TLiveSimSetup setup(sim, "parallel = 4\nper-host = 2");
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(setup.Folder() + "/cache"));
    sources::TSources chosen = sources::TSourcesFile::Read(setup.SourcesFile(), true);
    chosen.Store.Use = true;
    chosen.Store.Path = setup.Folder() + "/halvane.db";

    TAppFixture app;
    TfrmMain& frm = app.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    frm.UseSources(chosen, setup.SourcesFile());
    Control<QLineEdit>(frm, "edtKeyword")->setText(QStringLiteral("blue widgets"));
    Control<QLineEdit>(frm, "edtDomain")->setText(QStringLiteral("myshop.example"));
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(2);
    QVERIFY(Capture(frm, "live-before.png"));

    Control<QPushButton>(frm, "btnSearch")->click();
    QTRY_VERIFY_WITH_TIMEOUT(Control<TResultsModel>(frm, "lvwItemsModel")->Count() >= 3, 60000);
    QVERIFY(Capture(frm, "live-during.png"));
    QTRY_VERIFY_WITH_TIMEOUT(!frm.LiveRunActive(), 120000);
    QVERIFY(Capture(frm, "live-after.png"));

    Control<QSpinBox>(frm, "spnMinAuthority")->setValue(5);
    Control<QComboBox>(frm, "cbxYourLink")->setCurrentIndex(2);
    QVERIFY(Capture(frm, "live-filtered.png"));
    Control<QPushButton>(frm, "btnClearFilter")->click();

    QTableView* list = Control<QTableView>(frm, "lvwItems");
    const QRect cell = list->visualRect(list->model()->index(1, 1));
    emit list->customContextMenuRequested(cell.center());
    QMenu* menu = Control<QMenu>(frm, "mnuRow");
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QVERIFY(Capture(*menu, "live-row-menu.png"));
    menu->hide();

    // I commented here, then Re-check Links.
    list->selectRow(1);
    Control<QAction>(frm, "actCommented")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(Control<QLabel>(frm, "MainStatusPanel")->text().startsWith(QStringLiteral("Your comment on")), 30000);
    Control<QPushButton>(frm, "btnRecheck")->click();
    TfrmLinkCheck* check = Control<TfrmLinkCheck>(frm, "frmLinkCheck");
    QVERIFY(QTest::qWaitForWindowExposed(check));
    QTRY_VERIFY_WITH_TIMEOUT(!check->Checking(), 60000);
    QVERIFY(Capture(*check, "live-recheck.png"));
    check->close();

    Control<QTabBar>(frm, "tabViews")->setCurrentIndex(1);
    QVERIFY(Capture(frm, "live-pages-without-row.png"));
    Control<QTabBar>(frm, "tabViews")->setCurrentIndex(0);

    TfrmSources sourcesDialog(chosen, setup.SourcesFile(), TfrmSources::ProductionSeams(), &frm);
    sourcesDialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sourcesDialog));
    QVERIFY(Capture(sourcesDialog, "live-sources.png"));
    sourcesDialog.hide();

    TfrmAbout about(frm.BrandSettings(), &frm, frm.LiveAboutText());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(Capture(about, "live-about.png"));
  }
};

HALVANE_QTEST(LiveScreenshotTest);
#include "LiveScreenshotTest.moc"
