#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "tools/sim/TSearchEngine.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"

using namespace halvane;
using namespace halvane::test;
using namespace halvane::sim;

// The harvest against the simulated search engine, whose result pages carry
// the noise real ones do: image-search and https links, relative links,
// repeats in capitals, links around the pager.
class SimHarvestTest : public QObject {
  Q_OBJECT

 private slots:
  void HarvestMatchesTheModel() {
    test::TSimProcess sim;
    const TSimWeb web(DefaultSimConfig(), sim.Port());
    const TSearchEngine engine(web);
    for (const char* keyword : {"blue widgets", "garden tools"}) {
      for (int depth : {0, 2}) {
        TAppFixture app;
        app.Endpoints.SearchHost = "127.0.0.1:" + std::to_string(sim.Port());
        app.Endpoints.ImageSearchPrefix = "http://images.sim";
        TfrmMain& frm = app.Show();
        Control<QLineEdit>(frm, "edtKeyword")->setText(QString::fromLatin1(keyword));
        Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(depth);
        Control<QPushButton>(frm, "btnSearch")->click();
        QCOMPARE(TfrmMainProbe::HarvestedUrls(frm)->Items(), engine.ExpectedHarvest(keyword, depth));
        QVERIFY(!TfrmMainProbe::HarvestedUrls(frm)->Empty());
        QCOMPARE(Control<QPushButton>(frm, "btnSearch")->text(), QStringLiteral("Search"));
        QVERIFY(Control<QLabel>(frm, "stpItems")->text().endsWith(QStringLiteral(" items listed")));
        QVERIFY(!app.Exists("test.html"));
      }
    }
  }
};

HALVANE_QTEST(SimHarvestTest);
#include "SimHarvestTest.moc"
