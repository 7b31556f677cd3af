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
    QVERIFY(frm.Timer1->isActive());
    QCOMPARE(frm.Timer1Armings(), 1);
    QVERIFY(frm.NewsList && frm.NewsList->empty());
    QVERIFY(frm.HarvestedUrls && frm.HarvestedUrls->Empty());
    QCOMPARE(frm.Sort.SortColumn, -1);
    QVERIFY(frm.Sort.SortAscending);
    QVERIFY(!frm.StopRequested);
    app.Show();
    QCOMPARE(frm.windowTitle(), QStringLiteral("Halvane"));
    QVERIFY(frm.btnNews->isVisible());
    QCOMPARE(frm.btnMakeMoney->text(), QStringLiteral("Make Money"));
    QVERIFY(frm.panBanner->isVisible());
    QCOMPARE(frm.panBanner->height(), 65);
    QVERIFY(frm.panLinks->isVisible());
    QCOMPARE(frm.lblLink1URL->Address(), std::string("http://www.google.com/"));
    // No welcome page: it is gone and the search page is page 0, tab hidden.
    QCOMPARE(frm.pgcPrinc->PageCount(), 1);
    QVERIFY(frm.stsWelcome == nullptr);
    QCOMPARE(frm.pgcPrinc->Page(0), frm.stsMain);
    QCOMPARE(frm.pgcPrinc->ActivePage(), frm.stsMain);
    QVERIFY(!frm.pgcPrinc->TabShown(0));
    // The timer fires once and stays off.
    QTRY_COMPARE(frm.Timer1Firings(), 1);
    QVERIFY(!frm.Timer1->isActive());
    QTest::qWait(250);
    QCOMPARE(frm.Timer1Firings(), 1);
    frm.btnMakeMoney->click();
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
      QVERIFY(!frm.btnNews->isVisible());
      QCOMPARE(frm.btnMakeMoney->text(), QStringLiteral("Make Money"));
      QVERIFY(!frm.panBanner->isVisible());
      QVERIFY(!frm.panLinks->isVisible());
      QCOMPARE(frm.pgcPrinc->ActivePage(), frm.stsMain);
      QCOMPARE(frm.Timer1Armings(), 1);
      // The list fills the room the hidden panels left.
      QCOMPARE(frm.lvwItems->geometry().top(), 43 + 68);
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
    QVERIFY(frm.btnNews->isVisible());
    QCOMPARE(frm.btnMakeMoney->text(), QStringLiteral("Make Money"));
    QVERIFY(!frm.panBanner->isVisible());
    QVERIFY(frm.panLinks->isVisible());
    QCOMPARE(frm.lblLink1URL->text(), QStringLiteral("Blog"));
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
    QVERIFY(!frm.Timer1->isActive());
    app.Show();
    QCOMPARE(frm.pgcPrinc->PageCount(), 2);
    QCOMPARE(frm.pgcPrinc->ActivePage(), frm.stsWelcome);
    QCOMPARE(frm.pgcPrinc->ActivePageIndex(), 0);
    QVERIFY(!frm.pgcPrinc->TabShown(0));
    QVERIFY(!frm.pgcPrinc->TabShown(1));
    QVERIFY(frm.prfWelcome->toPlainText().contains(QString::fromUtf8("Bienvenue à Halvane")));
    QCOMPARE(frm.bsSkinButton1->text(), QStringLiteral("Thanks, just show me the main application"));
    QVERIFY(frm.bsSkinButton1->isDefault());
    QTest::qWait(250);
    QCOMPARE(frm.Timer1Armings(), 0);
    QCOMPARE(frm.Timer1Firings(), 0);
    frm.bsSkinButton1->click();
    QCOMPARE(frm.pgcPrinc->ActivePage(), frm.stsMain);
    QCOMPARE(frm.pgcPrinc->ActivePageIndex(), 1);
    QVERIFY(frm.Timer1->isActive());
    QTRY_COMPARE(frm.Timer1Firings(), 1);
    // Armed at most once per run.
    frm.bsSkinButton1Click();
    QVERIFY(!frm.Timer1->isActive());
    QCOMPARE(frm.Timer1Armings(), 1);
  }

  void EnterOnTheWelcomePagePressesItsButton() {
    TAppFixture app;
    TBrandSettings settings;
    settings.WelcomeHtml = "<p>hi</p>";
    app.Settings = settings;
    TfrmMain& frm = app.Show();
    frm.activateWindow();
    frm.prfWelcome->setFocus();
    QTest::keyClick(frm.prfWelcome, Qt::Key_Return);
    QCOMPARE(frm.pgcPrinc->ActivePage(), frm.stsMain);
  }

  void CloseCleansUpAndEndsTheProcess() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    frm.close();
    QVERIFY(frm.StopRequested);
    QVERIFY(!frm.NewsList);
    QVERIFY(!frm.HarvestedUrls);
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
    QCOMPARE(frm.pgcPrinc->ActivePage(), frm.stsWelcome);
    QVERIFY(frm.prfWelcome->toPlainText().contains(QStringLiteral("Welcome inside")));
    QVERIFY(frm.prfWelcome->document()->blockCount() < 3000);
  }
};

HALVANE_QTEST(StartupTest);
#include "StartupTest.moc"
