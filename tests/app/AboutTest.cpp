#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "app/TfrmAbout.h"

using namespace halvane;
using namespace halvane::test;

class AboutTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsTheBrandedTexts() {
    TBrandSettings s;
    s.ApplicationName = "Halvane Pro";
    s.CopyrightYears = "2008-2010";
    s.CopyrightCompany = "Halvane Ltd";
    s.AboutText = "First line\r\nSecond line\r\nThird line";
    TfrmAbout about(s);
    QCOMPARE(about.windowTitle(), QStringLiteral("About Halvane Pro..."));
    QCOMPARE(about.lblProductName->text(), QStringLiteral("Halvane Pro"));
    QVERIFY(about.lblProductName->font().bold());
    QCOMPARE(about.lblProductVersion->text(), QStringLiteral("Product Version: 2.20"));
    QCOMPARE(about.lblCopyright1->text(), QStringLiteral("Copyright (c) 2008-2010 Halvane Ltd"));
    QCOMPARE(about.memAbout->document()->blockCount(), 3);
    QCOMPARE(about.memAbout->document()->findBlockByNumber(1).text(), QStringLiteral("Second line"));
    QVERIFY(about.memAbout->isReadOnly());
    QCOMPARE(about.size(), QSize(368, 211));
    QCOMPARE(about.editAbout->text(), QStringLiteral("Ok"));
  }

  void WithoutSettingsOnlyTheVersionRemains() {
    TBrandSettings none;
    TfrmAbout about(none);
    QCOMPARE(about.windowTitle(), QStringLiteral("About ..."));
    QCOMPARE(about.lblProductName->text(), QString());
    QCOMPARE(about.lblProductVersion->text(), QStringLiteral("Product Version: 2.20"));
    QCOMPARE(about.lblCopyright1->text(), QStringLiteral("Copyright (c)  "));
    QCOMPARE(about.memAbout->toPlainText(), QString());
  }

  void AboutButtonBuildsAFreshModalWindowEachTime() {
    TAppFixture app;
    TBrandSettings s;
    s.ApplicationName = "Halvane";
    s.CopyrightYears = "2010";
    s.CopyrightCompany = "H";
    app.Settings = s;
    TfrmMain& frm = app.Show();
    std::vector<QString> seen;
    std::vector<QPointer<TfrmAbout>> windows;
    for (int round = 0; round < 2; ++round) {
      bool modal = false;
      QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
        modal = about != nullptr;
        // Whatever was found, every About window goes, so a failure below
        // ends the test instead of leaving the modal loop open.
        for (QWidget* window : QApplication::topLevelWidgets()) {
          if (auto* open = qobject_cast<TfrmAbout*>(window)) {
            windows.emplace_back(open);
            seen.push_back(open->lblCopyright1->text());
            if (open == about) open->editAbout->click();
            else open->reject();
          }
        }
      });
      Control<QPushButton>(frm, "btnAbout")->click();
      QVERIFY(modal);
      QCOMPARE(windows.size(), std::size_t(round + 1));
      // The window is gone once the click has returned: the next one is new.
      QVERIFY(windows.back().isNull());
      QVERIFY(frm.findChildren<TfrmAbout*>().isEmpty());
    }
    QCOMPARE(seen, (std::vector<QString>{QStringLiteral("Copyright (c) 2010 H"), QStringLiteral("Copyright (c) 2010 H")}));
  }
};

HALVANE_QTEST(AboutTest);
#include "AboutTest.moc"
