#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "branding/BrandSettings.h"
#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/TBalloonHint.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TMessageBox.h"
#include "app/TNewsClient.h"
#include "tests/support/TSimProcess.h"
#include "app/TfrmNews.h"

using namespace halvane;
using namespace halvane::test;

namespace {

const std::string kAccess = "There is a trouble accessing the news site. Contact your provider.";
const std::string kNoNews = "There's no news for this application!";

std::string DataPath(const char* name) { return std::string(HALVANE_TEST_DATA) + "/app/news/" + name; }

TBrandSettings Edition(int port, const char* type = "Master", const char* user = "halvane-demo") {
  TBrandSettings s;
  s.BranderType = type;
  s.BranderCode = "HALVANE-DEMO";
  const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/news";
  s.MasterNewsBaseURL = s.PlatinumNewsBaseURL = s.GoldNewsBaseURL = base;
  s.MasterPublID = s.PlatinumPublID = s.GoldPublID = user;
  return s;
}


void StoreLastNewsId(TAppFixture& app, const std::string& id) {
  app.WriteFile("dbsettings.dat", EncryptSettings("<%%ApplicationName%%>Demo<%%/ApplicationName%%>\r\n"
                                                  "<%%LastNewsId%%>" + id + "<%%/LastNewsId%%>\r\n"));
}

// Runs check on the news window once the modal loop shows it, then closes it.
void WithNewsWindow(std::function<void(TfrmNews&)> check) {
  WhenModal<TfrmNews>([check](TfrmNews& news) {
    check(news);
    news.btnExit->click();
  });
}

}  // namespace

class NewsTest : public QObject {
  Q_OBJECT

 private slots:
  void ReplyCodesWarnThenNoNews() {
    test::TSimProcess sim;
    struct TCase {
      const char* User;
      const char* Product;
      std::string Warning;
    } cases[] = {
        {"someone-else", "HALVANE-DEMO", "There is a trouble with the Publisher Id. Contact your provider."},
        {"halvane-demo", "OTHER", "There is a trouble with the product validation. Contact your provider."},
    };
    for (const TCase& c : cases) {
      TAppFixture app;
      app.Settings = Edition(sim.Port(), "Gold", c.User);
      app.Settings->BranderCode = c.Product;
      TfrmMain& frm = ShowQuiet(app);
      frm.btnNewsClick();
      QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), (std::vector<std::string>{c.Warning, kNoNews}));
      QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown()[0].Kind, TMsgKind::Warning);
      QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown()[1].Kind, TMsgKind::Information);
    }
    test::TSimProcess codes(DataPath("codes.conf"));
    TAppFixture app;
    app.Settings = Edition(codes.Port());
    TfrmMain& frm = ShowQuiet(app);
    frm.btnNewsClick();
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")),
             (std::vector<std::string>{"There is a trouble in the settings file on the news site.", kNoNews}));
  }

  void UnreachableServerAndNoTierMakeNoList() {
    TAppFixture down;
    down.Settings = Edition(1);
    ShowQuiet(down).btnNewsClick();
    QCOMPARE(Texts(*Control<TMessageBox>(down.Main(), "msgMain")), (std::vector<std::string>{kAccess, kNoNews}));
    // "Free" and an empty publisher id never reach the (unreachable) server.
    for (auto [type, user] : {std::pair{"Free", "halvane-demo"}, std::pair{"Master", ""}}) {
      TAppFixture app;
      app.Settings = Edition(1, type, user);
      ShowQuiet(app).btnNewsClick();
      QCOMPARE(Texts(*Control<TMessageBox>(app.Main(), "msgMain")), std::vector<std::string>{kNoNews});
    }
  }

  void ListWindowRowsAndDetails() {
    test::TSimProcess sim(DataPath("items.conf"));
    TAppFixture app;
    app.Settings = Edition(sim.Port());
    StoreLastNewsId(app, "3");
    TfrmMain& frm = ShowQuiet(app);
    bool checked = false;
    WithNewsWindow([&](TfrmNews& news) {
      QCOMPARE(news.lvwItems->topLevelItemCount(), 2);
      QCOMPARE(news.lvwItems->columnCount(), 2);
      QTreeWidgetItem* first = news.lvwItems->topLevelItem(0);
      QCOMPARE(first->text(0), QStringLiteral("Stored item"));
      QCOMPARE(first->text(1), QStringLiteral("2026-12-01"));
      QCOMPARE(TfrmNews::RowNewsId(news.lvwItems->topLevelItem(1)), std::string("10"));
      // Nothing is fetched until a row is selected.
      QCOMPARE(ReadLastNewsId(app.Folder()), std::string("3"));
      news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(1));
      QVERIFY(news.prfEditorNews->toPlainText().contains(QStringLiteral("ten $24 only")));
      QCOMPARE(ReadLastNewsId(app.Folder()), std::string("10"));
      checked = true;
    });
    frm.btnNewsClick();
    QVERIFY(checked);
    QCOMPARE(*TfrmMainProbe::NewsList(frm), (std::vector<std::string>{"9^Stored item^2026-12-01", "10^Tenth news^2026-12-02"}));
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
  }

  void FailedDetailsKeepViewAndId() {
    test::TSimProcess sim(DataPath("items.conf"));
    TAppFixture app;
    app.Settings = Edition(sim.Port());
    StoreLastNewsId(app, "9");
    TfrmMain& frm = ShowQuiet(app);
    TfrmNews news(frm.NewsClient(), {"9^Nine^d", "77^Gone^d"}, app.Folder(), &frm);
    news.show();
    news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(0));
    const QString shown = news.prfEditorNews->toPlainText();
    QVERIFY(shown.contains(QStringLiteral("nine")));
    news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(1));
    QCOMPARE(news.prfEditorNews->toPlainText(), shown);
    QCOMPARE(ReadLastNewsId(app.Folder()), std::string("9"));
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")),
             std::vector<std::string>{"There is a trouble with this news. Contact your provider."});
  }

  void SelectionRefusedWhileFetching() {
    test::TSimProcess sim(DataPath("items.conf"));
    QVERIFY(sim.SetFaults("getnewsdetails.php head-delay:600"));
    TAppFixture app;
    app.Settings = Edition(sim.Port());
    TfrmMain& frm = ShowQuiet(app);
    TfrmNews news(frm.NewsClient(), {"9^Nine^d", "10^Ten^d"}, app.Folder(), &frm);
    news.show();
    bool tried = false;
    QTimer::singleShot(100, [&] {
      QVERIFY(news.Fetching());
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(1));
      QCOMPARE(news.lvwItems->currentItem(), news.lvwItems->topLevelItem(0));
      tried = true;
    });
    news.lvwItems->setCurrentItem(news.lvwItems->topLevelItem(0));
    QVERIFY(tried);
    QVERIFY(!news.Fetching());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(news.prfEditorNews->toPlainText().contains(QStringLiteral("nine")));
  }

  void BalloonOnlyForNewerItem() {
    test::TSimProcess sim(DataPath("items.conf"));
    for (const char* stored : {"9", "10", ""}) {
      TAppFixture app;
      app.Settings = Edition(sim.Port());
      app.Endpoints.UpdateBaseURL = "http://127.0.0.1:1/liveupdate/halvane/";
      StoreLastNewsId(app, stored);
      TfrmMain& frm = ShowQuiet(app);
      frm.Timer1Timer();
      const bool announce = std::string(stored) != "10";
      QCOMPARE(Control<TBalloonHint>(frm, "BalloonHint")->IsShown(), announce);
      if (announce) {
        QCOMPARE(Control<TBalloonHint>(frm, "BalloonHint")->Text(), QStringLiteral("You've Got A Message!\r\nTenth news"));
        const QPoint centre(Control<QToolButton>(frm, "btnNews")->width() / 2, Control<QToolButton>(frm, "btnNews")->height() / 2);
        QCOMPARE(Control<TBalloonHint>(frm, "BalloonHint")->TipPoint(), Control<QToolButton>(frm, "btnNews")->mapToGlobal(centre));
        Control<TBalloonHint>(frm, "BalloonHint")->Close();
      }
      // Quiet: neither the news nor the unreachable update server says anything.
      QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
      QCOMPARE(ReadLastNewsId(app.Folder()), std::string(stored));
    }
  }

  void NewsClickDuringFetchWaitsForIt() {
    test::TSimProcess sim(DataPath("items.conf"));
    QVERIFY(sim.SetFaults("/search?num= head-delay:400"));
    TAppFixture app;
    app.Settings = Edition(sim.Port());
    app.Endpoints.SearchHost = "127.0.0.1:" + std::to_string(sim.Port());
    TfrmMain& frm = ShowQuiet(app);
    bool listShown = false;
    bool fetchReturned = false;
    bool shownAfterFetch = false;
    WithNewsWindow([&](TfrmNews& news) {
      listShown = news.lvwItems->topLevelItemCount() == 2;
      shownAfterFetch = fetchReturned;
    });
    QTimer::singleShot(150, [&] { frm.btnNewsClick(); });
    std::string text;
    QVERIFY(frm.FetchPage("http://127.0.0.1:" + std::to_string(sim.Port()) + "/search?num=100&q=x&start=0", text));
    fetchReturned = true;
    QVERIFY(!text.empty());
    // The click returned at once; the list is asked for once the fetch has
    // returned, from the event loop.
    QTRY_VERIFY_WITH_TIMEOUT(listShown, 20000);
    QVERIFY(shownAfterFetch);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
  }
};

HALVANE_QTEST(NewsTest);
#include "NewsTest.moc"
