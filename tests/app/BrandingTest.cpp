#include <QApplication>
#include <QMovie>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/TBannerView.h"
#include "toolkit/TLinkLabel.h"
#include "toolkit/TSkin.h"

using namespace halvane;
using namespace halvane::test;

namespace {

TBrandSettings Branded() {
  TBrandSettings s;
  s.ApplicationName = "Halvane";
  s.MakeMoneyCaption = "Earn With Us";
  s.AffiliateURL = "http://affiliate.test/?id=42";
  s.AppHelpURL = "http://help.test/";
  s.Link1Caption = "Blog";
  s.Link1URL = "http://blog.test/";
  s.Link2Caption = "Forum";
  s.Link2URL = "http://forum.test/";
  return s;
}

}  // namespace

class BrandingTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    TSkin::ApplyBuiltIn();
    QApplication::setWindowIcon(QIcon());
  }

  void CaptionButtonsAndLinks() {
    TAppFixture app;
    app.Settings = Branded();
    app.NewsButtonRule = true;
    TfrmMain& frm = app.Show();
    QCOMPARE(frm.windowTitle(), QStringLiteral("Halvane v2.20"));
    QVERIFY(Control<QToolButton>(frm, "btnNews")->isVisible());
    QCOMPARE(Control<QPushButton>(frm, "btnMakeMoney")->text(), QStringLiteral("Earn With Us"));
    QVERIFY(Control<QFrame>(frm, "panLinks")->isVisible());
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink1URL")->text(), QStringLiteral("Blog"));
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink2URL")->text(), QStringLiteral("Forum"));
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink2URL")->geometry().right(), Control<QFrame>(frm, "panLinks")->width() - 15);
    Control<QPushButton>(frm, "btnMakeMoney")->click();
    Control<QToolButton>(frm, "bsSkinSpeedButton2")->click();
    QCOMPARE(app.BrowserOpened, (std::vector<std::string>{"http://affiliate.test/?id=42", "http://help.test/"}));
    QTest::mouseClick(Control<TLinkLabel>(frm, "lblLink2URL"), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(app.DocumentsOpened, std::vector<std::string>{"http://forum.test/"});
  }

  void NewsRuleHidesTheNewsButtonAndASingleLinkLeavesTheSecondEmpty() {
    TAppFixture app;
    TBrandSettings s = Branded();
    s.Link2Caption.clear();
    s.Link2URL.clear();
    app.Settings = s;
    app.NewsButtonRule = false;
    TfrmMain& frm = app.Show();
    QVERIFY(!Control<QToolButton>(frm, "btnNews")->isVisible());
    QVERIFY(Control<QFrame>(frm, "panLinks")->isVisible());
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink2URL")->text(), QString());
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink2URL")->Address(), std::string());
  }

  void NoFirstLinkHidesTheLinkPanel() {
    TAppFixture app;
    TBrandSettings s = Branded();
    s.Link1Caption.clear();
    app.Settings = s;
    QVERIFY(!Control<QFrame>(app.Show(), "panLinks")->isVisible());
  }

  void StillBannerIsSizedAndCentred() {
    TAppFixture app;
    TBrandSettings s = Branded();
    s.BannerNumber = 2;
    s.BannerFile = "C:\\pics\\ad.jpg";
    s.BannerURL = "http://banner.test/";
    app.Settings = s;
    app.WriteFile("banner2.dat", EncodePicture(500, 300, "JPEG"));
    TfrmMain& frm = app.Show();
    QVERIFY(Control<QFrame>(frm, "panBanner")->isVisible());
    QVERIFY(Control<TBannerView>(frm, "imgBanner")->isVisible());
    QVERIFY(!Control<TBannerView>(frm, "gifBanner")->isVisible());
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->size(), QSize(500, 300));
    QCOMPARE(Control<QFrame>(frm, "panBanner")->height(), 310);
    QCOMPARE(Control<QFrame>(frm, "panBanner")->width(), 822);
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->pos(), QPoint(161, 5));
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(Control<TBannerView>(frm, "gifBanner")->cursor().shape(), Qt::PointingHandCursor);
    // The image file keeps its name; nothing of the branded name appears.
    QVERIFY(app.Exists("banner2.dat"));
    QVERIFY(!app.Exists("ad.jpg"));
    QTest::mouseClick(Control<TBannerView>(frm, "imgBanner"), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(app.BrowserOpened, std::vector<std::string>{"http://banner.test/"});
    // Widening keeps it centred, and the list below takes the rest.
    frm.resize(1024, 605);
    QTest::qWait(0);
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->x(), Control<QFrame>(frm, "panBanner")->width() / 2 - 250);
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->geometry().top(), 43 + 310 + 68);
  }

  void PictureLargerThanThePanelSitsAtANegativeLeft() {
    TAppFixture app;
    TBrandSettings s = Branded();
    s.BannerNumber = 1;
    s.BannerFile = "wide.bmp";
    app.Settings = s;
    app.WriteFile("banner1.dat", EncodePicture(1000, 40, "BMP"));
    TfrmMain& frm = app.Show();
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->pos(), QPoint(411 - 500, 5));
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(Control<TBannerView>(frm, "imgBanner"), Qt::LeftButton, {}, QPoint(600, 10));
    QVERIFY(app.BrowserOpened.empty());
  }

  void GifInTheLowerCasePathChoosesTheAnimatedView() {
    struct TCase {
      const char* BannerFile;
      const char* FolderTemplate;
    };
    for (const TCase& c : {TCase{"AD.GIF", nullptr}, {"banner.gif.jpg", nullptr}, {"ad.png", "/tmp/site.GIF-XXXXXX"}}) {
      TAppFixture app(c.FolderTemplate ? QString::fromLatin1(c.FolderTemplate) : QString());
      TBrandSettings s = Branded();
      s.BannerNumber = 1;
      s.BannerFile = c.BannerFile;
      app.Settings = s;
      app.CopyData("app/banner-500x300.gif", "banner1.dat");
      TfrmMain& frm = app.Show();
      QVERIFY2(Control<TBannerView>(frm, "gifBanner")->isVisible(), c.BannerFile);
      QVERIFY(!Control<TBannerView>(frm, "imgBanner")->isVisible());
      QVERIFY(Control<TBannerView>(frm, "gifBanner")->IsAnimating());
      QCOMPARE(Control<QFrame>(frm, "panBanner")->height(), 310);
      QCOMPARE(Control<TBannerView>(frm, "gifBanner")->pos(), QPoint(161, 5));
      QVERIFY(Control<TBannerView>(frm, "imgBanner")->cursor().shape() != Qt::PointingHandCursor);
      QTest::mouseClick(Control<TBannerView>(frm, "gifBanner"), Qt::LeftButton, {}, QPoint(10, 10));
      QVERIFY(app.BrowserOpened.empty());
    }
  }

  void MissingEmptyOrUndecodableBannerHidesThePanel() {
    struct TCase {
      const char* BannerFile;
      const char* Bytes;  // nullptr: no image file
    };
    for (const TCase& c : {TCase{"", "x"}, {"ad.jpg", nullptr}, {"ad.jpg", "not a picture"}, {"ad.wmf", "x"}}) {
      TAppFixture app;
      TBrandSettings s = Branded();
      s.BannerNumber = 1;
      s.BannerFile = c.BannerFile;
      s.BannerURL = "http://banner.test/";
      app.Settings = s;
      if (c.Bytes) app.WriteFile("banner1.dat", c.Bytes);
      TfrmMain& frm = app.Show();
      QVERIFY2(!Control<QFrame>(frm, "panBanner")->isVisible(), c.BannerFile);
      // The rest of the start-up went on.
      QCOMPARE(frm.windowTitle(), QStringLiteral("Halvane v2.20"));
      QVERIFY(TfrmMainProbe::HarvestedUrls(frm));
      if (c.Bytes) QCOMPARE(app.ReadFile("banner1.dat"), std::string(c.Bytes));
    }
  }

  void FileWithTheBrandedNameIsLeftAlone() {
    TAppFixture app;
    TBrandSettings s = Branded();
    s.BannerNumber = 1;
    s.BannerFile = "ad.jpg";
    app.Settings = s;
    const std::string other = EncodePicture(20, 20, "JPEG");
    app.WriteFile("ad.jpg", other);
    const std::string banner = EncodePicture(300, 60, "JPEG");
    app.WriteFile("banner1.dat", banner);
    TfrmMain& frm = app.Show();
    QCOMPARE(Control<TBannerView>(frm, "imgBanner")->size(), QSize(300, 60));
    QCOMPARE(app.ReadFile("ad.jpg"), other);
    QCOMPARE(app.ReadFile("banner1.dat"), banner);
  }

  void SkinAndIconFilesReplaceTheBuiltInOnes() {
    TAppFixture app;
    app.Settings = Branded();
    app.WriteFile("mainskin.dat", PackSkin("QPushButton { color: #010203; }"));
    app.WriteFile("main.ico", EncodePicture(32, 32, "ICO"));
    app.Show();
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QPushButton { color: #010203; }"));
    QVERIFY(!QApplication::windowIcon().isNull());
  }

  void EmptyOrBrokenSkinKeepsTheBuiltInOne() {
    for (const std::string& skin : {PackSkin(""), std::string("broken")}) {
      TAppFixture app;
      app.Settings = Branded();
      app.WriteFile("mainskin.dat", skin);
      app.WriteFile("main.ico", "not an icon");
      app.Show();
      QCOMPARE(qApp->styleSheet(), TSkin::BuiltInStyleSheet());
      QVERIFY(QApplication::windowIcon().availableSizes().isEmpty());
    }
  }

  void SkinAndIconAreIgnoredWithoutASettingsFile() {
    TAppFixture app;
    app.WriteFile("mainskin.dat", PackSkin("QPushButton { color: #010203; }"));
    app.Show();
    QCOMPARE(qApp->styleSheet(), TSkin::BuiltInStyleSheet());
  }
};

HALVANE_QTEST(BrandingTest);
#include "BrandingTest.moc"
