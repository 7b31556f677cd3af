#include <QLabel>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "app/TfrmLinkCheck.h"
#include "tests/toolkit/QtTestMain.h"
#include "live/RegistrableDomain.h"
#include "store/OpenStore.h"
#include "tests/app/TestWindowHelpers.h"
#include "tests/liverun/LiveRunFakes.h"

using namespace halvane;
using halvane::liverun::testing::Answer;
using halvane::liverun::testing::TFakeFetcher;

namespace {

// A comment page as a blog shows it, with the user's link when rel is set.
std::string CommentPage(const std::string& rel) {
  const std::string link = rel == "none" ? "" : "<a href='https://mine.example/' " + rel + ">Mine</a>";
  return "<html><head><meta name='generator' content='WordPress 6.4'></head><body><ol class='comment-list'>"
         "<li id='comment-2' class='comment'><div class='comment-content'><p>Nice. " + link +
         "</p></div></li></ol></body></html>";
}

const std::vector<std::string> kPages = {"https://a.example/1", "https://b.example/2", "https://c.example/3",
                                         "https://d.example/4"};

// Parts whose fetcher serves kPages: followed, nofollow, missing and (not
// served) gone; slowPage answers only when aborted.
TLinkCheckRun::TPartsMaker FakeParts(std::string slowPage = {}) {
  return [slowPage](std::string&) {
    auto fetcher = std::make_unique<TFakeFetcher>(2);
    fetcher->Pages[kPages[0]] = {Answer(200, CommentPage("rel='ugc'")), 0};
    fetcher->Pages[kPages[1]] = {Answer(200, CommentPage("rel='nofollow'")), 0};
    fetcher->Pages[kPages[2]] = {Answer(200, CommentPage("none")), 0};
    if (!slowPage.empty()) fetcher->Pages[slowPage] = {Answer(200, CommentPage("rel='ugc'")), 3600 * 1000};
    auto parts = std::make_unique<liverun::TLiveRunParts>();
    parts->Pages = std::move(fetcher);
    return parts;
  };
}

TLinkCheckRun::TStoreOpener StoreAt(const std::string& path) {
  return [path](std::string&) { return store::OpenStore(path); };
}

QString Cell(const TfrmLinkCheck& frm, int row, int column) {
  const QTableWidgetItem* item = frm.lvwLinks->item(row, column);
  return item ? item->text() : QString();
}

}  // namespace

// The Re-check links dialog over in-memory pages and a SQLite store: rows
// and summary at the end, Stop, errors shown in full.
class LinkCheckWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    FFolder = std::make_unique<QTemporaryDir>();
    QVERIFY(FFolder->isValid());
    FStorePath = FFolder->filePath(QStringLiteral("halvane.db")).toStdString();
    std::unique_ptr<store::TStore> store = store::OpenStore(FStorePath);
    for (const std::string& page : kPages) store->AddLink(page, live::HostOfUrl(page));
  }
  void cleanup() { FFolder.reset(); }

  void RowsAndSummaryAppearAsTheCheckEnds() {
    TfrmLinkCheck frm(FakeParts(), StoreAt(FStorePath), "mine.example");
    frm.show();
    frm.Start();
    QVERIFY(frm.btnStop->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!frm.Checking(), 60000);
    QCOMPARE(frm.windowTitle(), QStringLiteral("Re-check links"));
    QCOMPARE(frm.prgCheck->maximum(), 4);
    QCOMPARE(frm.prgCheck->value(), 4);
    QCOMPARE(frm.lvwLinks->rowCount(), 4);
    QCOMPARE(frm.lvwLinks->horizontalHeaderItem(2)->text(), QStringLiteral("Changed"));
    QCOMPARE(Cell(frm, 0, 0), QStringLiteral("https://a.example/1"));
    QCOMPARE(Cell(frm, 0, 1), QStringLiteral("present, followed"));
    QCOMPARE(Cell(frm, 1, 1), QStringLiteral("present, nofollow"));
    QCOMPARE(Cell(frm, 2, 1), QStringLiteral("missing"));
    QCOMPARE(Cell(frm, 3, 1), QStringLiteral("page gone (HTTP 404)"));
    QCOMPARE(Cell(frm, 3, 2), QStringLiteral("first check"));
    QCOMPARE(frm.lblSummary->text(),
             QStringLiteral("4 pages checked: 1 followed, 1 nofollow, 1 missing, 1 gone, 0 failed"));
    QVERIFY(!frm.btnStop->isEnabled());
    // Recorded: the next check says nothing changed.
    std::unique_ptr<store::TStore> store = store::OpenStore(FStorePath);
    QVERIFY(store->Links()[0].LastCheck.has_value());
  }

  void StopEndsTheCheckWithNothingRecorded() {
    TfrmLinkCheck frm(FakeParts(kPages[3]), StoreAt(FStorePath), "mine.example");
    frm.show();
    frm.Start();
    QTRY_COMPARE_WITH_TIMEOUT(frm.prgCheck->value(), 3, 60000);
    QCOMPARE(frm.prgCheck->maximum(), 4);
    QVERIFY(frm.Checking());
    test::Control<QPushButton>(frm, "btnStop")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!frm.Checking(), 60000);
    QCOMPARE(frm.lblSummary->text(), QStringLiteral("Stopped; nothing recorded"));
    QCOMPARE(frm.lvwLinks->rowCount(), 0);
    std::unique_ptr<store::TStore> store = store::OpenStore(FStorePath);
    for (const store::TUserLink& link : store->Links()) QVERIFY(!link.LastCheck.has_value());
  }

  void ErrorsAreShownInFull() {
    const std::string off = "the store is off ([store] use = no in the sources file); pass --db FILE";
    {
      TfrmLinkCheck frm(FakeParts(), [off](std::string& error) {
        error = off;
        return std::unique_ptr<store::TStore>();
      }, "mine.example");
      frm.show();
      frm.Start();
      QTRY_VERIFY_WITH_TIMEOUT(!frm.Checking(), 60000);
      QCOMPARE(frm.lblSummary->text(), QString::fromStdString(off));
      QVERIFY(!frm.btnStop->isEnabled());
    }
    {
      TfrmLinkCheck frm(FakeParts(), [](std::string&) { return std::unique_ptr<store::TStore>(); }, "mine.example");
      frm.Start();
      QTRY_VERIFY_WITH_TIMEOUT(!frm.Checking(), 60000);
      QCOMPARE(frm.lblSummary->text(),
               QStringLiteral("The store is off ([store] use = no in the sources file): it keeps the links to check"));
    }
    const std::string empty = FFolder->filePath(QStringLiteral("empty.db")).toStdString();
    TfrmLinkCheck frm(FakeParts(), StoreAt(empty), "mine.example");
    frm.show();
    frm.Start();
    QTRY_VERIFY_WITH_TIMEOUT(!frm.Checking(), 60000);
    QCOMPARE(frm.lblSummary->text(),
             QString::fromStdString("No links recorded in " + empty +
                                    "; right-click a page you commented on and choose \"I commented here\""));
    QCOMPARE(frm.lvwLinks->rowCount(), 0);
  }

  void OpenShowsANonModalDialogThatGoesWhenClosed() {
    auto* frm = TfrmLinkCheck::Open(nullptr, FakeParts(kPages[3]), StoreAt(FStorePath), "mine.example");
    QPointer<TfrmLinkCheck> alive(frm);
    QVERIFY(frm->isVisible());
    QVERIFY(!frm->isModal());
    QTRY_COMPARE_WITH_TIMEOUT(frm->prgCheck->value(), 3, 60000);
    // Closing while a page is still on its way stops the check.
    test::Control<QPushButton>(*frm, "btnClose")->click();
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 60000);
  }

 private:
  std::unique_ptr<QTemporaryDir> FFolder;
  std::string FStorePath;
};

HALVANE_QTEST(LinkCheckWindowTest);
#include "LinkCheckWindowTest.moc"
