#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include "toolkit/TPageControl.h"
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TLinkLabel.h"
#include "app/TfrmAbout.h"

using namespace halvane;
using namespace halvane::test;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void WithoutSettingsTheWindowKeepsItsLayout() {
    TAppFixture app;
    TfrmMain& frm = app.Create();
    QVERIFY(!frm.BrandingApplied());
    // Armed during creation, before the window is shown.
    QVERIFY(Control<QTimer>(frm, "Timer1")->isActive());
    QCOMPARE(frm.Timer1Armings(), 1);
    QVERIFY(TfrmMainProbe::NewsList(frm) && TfrmMainProbe::NewsList(frm)->empty());
    QVERIFY(TfrmMainProbe::HarvestedUrls(frm) && TfrmMainProbe::HarvestedUrls(frm)->Empty());
    QCOMPARE(TfrmMainProbe::Sort(frm).SortColumn, -1);
    QVERIFY(TfrmMainProbe::Sort(frm).SortAscending);
    QVERIFY(!TfrmMainProbe::StopRequested(frm));
    app.Show();
    QCOMPARE(frm.windowTitle(), QStringLiteral("Halvane"));
    QVERIFY(Control<QToolButton>(frm, "btnNews")->isVisible());
    QCOMPARE(Control<QPushButton>(frm, "btnMakeMoney")->text(), QStringLiteral("Make Money"));
    QVERIFY(Control<QFrame>(frm, "panBanner")->isVisible());
    QCOMPARE(Control<QFrame>(frm, "panBanner")->height(), 65);
    QVERIFY(Control<QFrame>(frm, "panLinks")->isVisible());
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink1URL")->Address(), std::string("http://www.google.com/"));
    // No welcome page: it is gone and the search page is page 0, tab hidden.
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->PageCount(), 1);
    QVERIFY(FindControl<QWidget>(frm, "stsWelcome") == nullptr);
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->Page(0), Control<QWidget>(frm, "stsMain"));
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsMain"));
    QVERIFY(!Control<TPageControl>(frm, "pgcPrinc")->TabShown(0));
    // The timer fires once and stays off.
    QTRY_COMPARE(frm.Timer1Firings(), 1);
    QVERIFY(!Control<QTimer>(frm, "Timer1")->isActive());
    QTest::qWait(250);
    QCOMPARE(frm.Timer1Firings(), 1);
    Control<QPushButton>(frm, "btnMakeMoney")->click();
    QCOMPARE(app.BrowserOpened, std::vector<std::string>{""});
  }

  void SettingsThatDoNotDecryptGiveAnEmptyEdition() {
    // The program's reader on a file that is no container, and a reader
    // that hands over the empty record such a file gives.
    for (bool realReader : {true, false}) {
      TAppFixture app;
      app.RealSettingsReader = realReader;
      app.WriteFile("dbsettings.dat", std::string(300, '\x5a'));
      TBrandSettings empty;
      empty.MakeMoneyCaption = "Make Money";
      app.Settings = empty;
      TfrmMain& frm = app.Show();
      QVERIFY(frm.BrandingApplied());
      QCOMPARE(frm.windowTitle(), QStringLiteral(" v2.20"));
      QVERIFY(!Control<QToolButton>(frm, "btnNews")->isVisible());
      QCOMPARE(Control<QPushButton>(frm, "btnMakeMoney")->text(), QStringLiteral("Make Money"));
      QVERIFY(!Control<QFrame>(frm, "panBanner")->isVisible());
      QVERIFY(!Control<QFrame>(frm, "panLinks")->isVisible());
      QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsMain"));
      QCOMPARE(frm.Timer1Armings(), 1);
      // The list fills the room the hidden panels left.
      QCOMPARE(Control<QTableView>(frm, "lvwItems")->geometry().top(), 43 + 68);
      QVERIFY(!app.Exists("dbsettings.sim"));
    }
  }

  void EncryptedSettingsFileBrandsTheWindow() {
    TAppFixture app;
    app.RealSettingsReader = true;
    app.WriteFile("dbsettings.dat",
                  EncryptSettings("<%%ApplicationName%%>Halvane<%%/ApplicationName%%>\r\n"
                                  "<%%BranderType%%>Gold<%%/BranderType%%>\r\n"
                                  "<%%GoldNewsBaseURL%%>http://news.test/<%%/GoldNewsBaseURL%%>\r\n"
                                  "<%%GoldPublID%%>7<%%/GoldPublID%%>\r\n"
                                  "<%%Link1%%>Blog^http://blog.test/<%%/Link1%%>\r\n"));
    TfrmMain& frm = app.Show();
    QVERIFY(frm.BrandingApplied());
    QCOMPARE(frm.windowTitle(), QStringLiteral("Halvane v2.20"));
    QVERIFY(Control<QToolButton>(frm, "btnNews")->isVisible());
    QCOMPARE(Control<QPushButton>(frm, "btnMakeMoney")->text(), QStringLiteral("Make Money"));
    QVERIFY(!Control<QFrame>(frm, "panBanner")->isVisible());
    QVERIFY(Control<QFrame>(frm, "panLinks")->isVisible());
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink1URL")->text(), QStringLiteral("Blog"));
    QVERIFY(!app.Exists("dbsettings.sim"));
  }

  void WelcomePageHoldsTheTimerUntilTheUserLeavesIt() {
    TAppFixture app;
    TBrandSettings settings;
    settings.ApplicationName = "Halvane";
    settings.MakeMoneyCaption = "Make Money";
    settings.WelcomeHtml = "<html><body><h1>Bienvenue \xe0 Halvane</h1></body></html>";
    app.Settings = settings;
    TfrmMain& frm = app.Create();
    QVERIFY(!Control<QTimer>(frm, "Timer1")->isActive());
    app.Show();
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->PageCount(), 2);
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsWelcome"));
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePageIndex(), 0);
    QVERIFY(!Control<TPageControl>(frm, "pgcPrinc")->TabShown(0));
    QVERIFY(!Control<TPageControl>(frm, "pgcPrinc")->TabShown(1));
    QVERIFY(Control<THtmlView>(frm, "prfWelcome")->toPlainText().contains(QString::fromUtf8("Bienvenue à Halvane")));
    QCOMPARE(Control<QPushButton>(frm, "bsSkinButton1")->text(), QStringLiteral("Thanks, just show me the main application"));
    QVERIFY(Control<QPushButton>(frm, "bsSkinButton1")->isDefault());
    QTest::qWait(250);
    QCOMPARE(frm.Timer1Armings(), 0);
    QCOMPARE(frm.Timer1Firings(), 0);
    Control<QPushButton>(frm, "bsSkinButton1")->click();
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsMain"));
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePageIndex(), 1);
    QVERIFY(Control<QTimer>(frm, "Timer1")->isActive());
    QTRY_COMPARE(frm.Timer1Firings(), 1);
    // Armed at most once per run.
    frm.bsSkinButton1Click();
    QVERIFY(!Control<QTimer>(frm, "Timer1")->isActive());
    QCOMPARE(frm.Timer1Armings(), 1);
  }

  void EnterOnTheWelcomePagePressesItsButton() {
    TAppFixture app;
    TBrandSettings settings;
    settings.WelcomeHtml = "<p>hi</p>";
    app.Settings = settings;
    TfrmMain& frm = app.Show();
    frm.activateWindow();
    Control<THtmlView>(frm, "prfWelcome")->setFocus();
    QTest::keyClick(Control<THtmlView>(frm, "prfWelcome"), Qt::Key_Return);
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsMain"));
  }

  void CloseCleansUpAndEndsTheProcess() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    frm.close();
    QVERIFY(TfrmMainProbe::StopRequested(frm));
    QVERIFY(!TfrmMainProbe::NewsList(frm));
    QVERIFY(!TfrmMainProbe::HarvestedUrls(frm));
    QCOMPARE(app.ScriptReleases, 1);
    QCOMPARE(app.Exits, std::vector<int>{0});
  }

  void CloseFromInsideANestedHandlerEndsAtOnce() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    std::vector<int> exitsSeenInside;
    bool aboutWasOpen = false;
    QTimer::singleShot(0, [&] {
      auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
      aboutWasOpen = about != nullptr;
      frm.close();
      exitsSeenInside = app.Exits;
      if (about) about->editAbout->click();
    });
    frm.btnAboutClick();
    QVERIFY(aboutWasOpen);
    // The process ended while the about window's modal loop was running.
    QCOMPARE(exitsSeenInside, std::vector<int>{0});
    QCOMPARE(app.ScriptReleases, 1);
  }

  // A welcome page made to overflow the layout's stack (tables nested 3,000
  // deep in an authentic settings file) no longer kills the start; the page
  // shows, its markup flattened.
  void HostileWelcomePageStillStarts() {
    TAppFixture app;
    app.RealSettingsReader = true;
    std::string page;
    for (int i = 0; i < 3000; ++i) page += "<table><tr><td>";
    page += "Welcome inside";
    for (int i = 0; i < 3000; ++i) page += "</td></tr></table>";
    app.WriteFile("dbsettings.dat", EncryptSettings("<%%ApplicationName%%>Halvane<%%/ApplicationName%%>\r\n"
                                                    "<%%Welcome1%%>" + page + "<%%/Welcome1%%>\r\n"));
    TfrmMain& frm = app.Show();
    QCOMPARE(Control<TPageControl>(frm, "pgcPrinc")->ActivePage(), Control<QWidget>(frm, "stsWelcome"));
    QVERIFY(Control<THtmlView>(frm, "prfWelcome")->toPlainText().contains(QStringLiteral("Welcome inside")));
    QVERIFY(Control<THtmlView>(frm, "prfWelcome")->document()->blockCount() < 3000);
  }
};

HALVANE_QTEST(StartupTest);
#include "StartupTest.moc"
