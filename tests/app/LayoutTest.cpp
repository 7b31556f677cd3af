#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include "toolkit/TPageControl.h"
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/TBannerView.h"
#include "toolkit/TGauge.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TLinkLabel.h"
#include "app/TResultsModel.h"
#include "app/TfrmNews.h"

using namespace halvane;
using namespace halvane::test;

namespace {

template <typename T>
T* Named(QWidget& form, const char* name) {
  return form.findChild<T*>(QLatin1String(name));
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void MainWindowHasEveryControlByName() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QCOMPARE(frm.size(), QSize(824, 605));
    // Each control is found under its own name, of the right kind, with its
    // caption or hint.
    struct TCaption {
      const char* Name;
      const char* Text;
    };
    for (const TCaption& c : {TCaption{"btnMakeMoney", "Make Money"}, {"btnAbout", "About"}, {"btnSearch", "Search"},
                              {"btnSave", "Save Results"}, {"btnSelectAll", "Select All"},
                              {"bsSkinButton2", "Clear Selection"}, {"btnDelSelected", "Delete Selected"},
                              {"btnDelAll", "Delete All"}}) {
      auto* button = Named<QPushButton>(frm, c.Name);
      QVERIFY2(button, c.Name);
      QCOMPARE(button->text(), QLatin1String(c.Text));
    }
    for (const TCaption& c : {TCaption{"bsSkinStdLabel1", "Keyword:"},
                              {"bsSkinStdLabel2", "Your domain (optionally):"},
                              {"bsSkinStdLabel3", "Search Deep:"},
                              {"stpItems", "0 items listed"},
                              {"MainStatusPanel", ""}}) {
      auto* label = Named<QLabel>(frm, c.Name);
      QVERIFY2(label, c.Name);
      QCOMPARE(label->text(), QLatin1String(c.Text));
    }
    // The search panel's captions are drawn in full, not under the box to
    // their right (the caption's width depends on the fonts installed).
    for (auto [label, box] : {std::pair<QWidget*, QWidget*>{Control<QLabel>(frm, "bsSkinStdLabel1"), Control<QLineEdit>(frm, "edtKeyword")},
                              {Control<QLabel>(frm, "bsSkinStdLabel2"), Control<QLineEdit>(frm, "edtDomain")},
                              {Control<QLabel>(frm, "bsSkinStdLabel3"), Control<QComboBox>(frm, "cbxItems")}}) {
      auto* caption = static_cast<QLabel*>(label);
      caption->ensurePolished();
      const int end = caption->x() + caption->fontMetrics().horizontalAdvance(caption->text());
      QVERIFY2(end <= box->x(), qPrintable(caption->text() + QStringLiteral(" ends at %1").arg(end)));
    }
    for (const TCaption& c : {TCaption{"btnNews", "Check News"}, {"bsSkinSpeedButton1", "Check Updates"},
                              {"bsSkinSpeedButton2", "Help"}}) {
      auto* button = Named<QToolButton>(frm, c.Name);
      QVERIFY2(button, c.Name);
      QCOMPARE(button->toolTip(), QLatin1String(c.Text));
      QVERIFY(!button->icon().isNull());
    }
    QVERIFY(Named<TBannerView>(frm, "imgBanner"));
    QVERIFY(Named<TBannerView>(frm, "gifBanner"));
    QVERIFY(Named<TGauge>(frm, "MainGauge"));
    QVERIFY(Named<QLineEdit>(frm, "edtKeyword"));
    QVERIFY(Named<QLineEdit>(frm, "edtDomain"));
    QVERIFY(Named<TPageControl>(frm, "pgcPrinc"));
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink1URL")->text(), QStringLiteral("Google"));
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink2URL")->text(), QStringLiteral("Google"));
    QVERIFY(Control<TLinkLabel>(frm, "lblLink2URL")->alignment() & Qt::AlignRight);
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink1URL")->font().pixelSize(), 12);
    QVERIFY(Control<TLinkLabel>(frm, "lblLink1URL")->font().underline());
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(Control<QPushButton>(frm, "btnDelAll")->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(Control<QPushButton>(frm, "btnAbout")->toolTip().isEmpty());
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->MaxValue(), 100LL);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->Progress(), 0LL);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->text(), QStringLiteral("0%"));
    QVERIFY(!Control<QTimer>(frm, "Timer1")->isSingleShot());
    QCOMPARE(Control<QTimer>(frm, "Timer1")->interval(), 100);
  }

  void PlacesTheSearchPageAsLaidOut() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QCOMPARE(Control<QFrame>(frm, "panBanner")->width(), 822);
    QCOMPARE(Control<QFrame>(frm, "bsSkinPanel4")->geometry(), QRect(0, 0, 822, 43));
    QCOMPARE(Control<QFrame>(frm, "panBanner")->geometry().top(), 43);
    QCOMPARE(Control<QFrame>(frm, "bsSkinPanel1")->geometry(), QRect(0, 108, 822, 68));
    QCOMPARE(Control<QPushButton>(frm, "btnMakeMoney")->geometry(), QRect(8, 6, 125, 20));
    QCOMPARE(Control<QToolButton>(frm, "btnNews")->geometry(), QRect(685, 1, 41, 34));
    QCOMPARE(Control<QToolButton>(frm, "bsSkinSpeedButton2")->geometry(), QRect(771, 1, 41, 34));
    QCOMPARE(Control<QLineEdit>(frm, "edtKeyword")->geometry(), QRect(62, 9, 240, 18));
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->geometry(), QRect(384, 38, 89, 20));
    QCOMPARE(Control<QPushButton>(frm, "btnDelAll")->geometry(), QRect(319, 7, 99, 20));
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink2URL")->geometry().right(), 807);
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->geometry().top(), 176);
    // Status bar from the right: gauge, item count, then the status text.
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->width(), 130);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->geometry().right(), Control<QFrame>(frm, "bsSkinStatusBar1")->width() - 1);
    QCOMPARE(Control<QLabel>(frm, "stpItems")->width(), 194);
    QCOMPARE(Control<QLabel>(frm, "stpItems")->geometry().right() + 1, Control<TGauge>(frm, "MainGauge")->geometry().left());
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->geometry().left(), 0);
    // Bottom edge from the outside in: status bar, links, list buttons.
    const int pageHeight = Control<QWidget>(frm, "stsMain")->height();
    QCOMPARE(Control<QFrame>(frm, "bsSkinStatusBar1")->geometry(), QRect(0, pageHeight - 17, 822, 17));
    QCOMPARE(Control<QFrame>(frm, "panLinks")->geometry(), QRect(0, pageHeight - 17 - 36, 822, 36));
    QCOMPARE(Control<QFrame>(frm, "pan")->geometry(), QRect(0, pageHeight - 17 - 36 - 39, 822, 39));
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->geometry().bottom() + 1, Control<QFrame>(frm, "pan")->geometry().top());
  }

  void WideningKeepsTheRightEdgeControlsAndGrowsTheList() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    const QRect list = Control<QTableView>(frm, "lvwItems")->geometry();
    const int newsGap = Control<QFrame>(frm, "bsSkinPanel4")->width() - Control<QToolButton>(frm, "btnNews")->geometry().left();
    const int helpGap = Control<QFrame>(frm, "bsSkinPanel4")->width() - Control<QToolButton>(frm, "bsSkinSpeedButton2")->geometry().left();
    const int linkGap = Control<QFrame>(frm, "panLinks")->width() - Control<TLinkLabel>(frm, "lblLink2URL")->geometry().left();
    frm.resize(1024, 705);
    QTest::qWait(0);
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->width(), list.width() + 200);
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->height(), list.height() + 100);
    QCOMPARE(Control<QFrame>(frm, "bsSkinPanel4")->width() - Control<QToolButton>(frm, "btnNews")->geometry().left(), newsGap);
    QCOMPARE(Control<QFrame>(frm, "bsSkinPanel4")->width() - Control<QToolButton>(frm, "bsSkinSpeedButton2")->geometry().left(), helpGap);
    QCOMPARE(Control<QFrame>(frm, "panLinks")->width() - Control<TLinkLabel>(frm, "lblLink2URL")->geometry().left(), linkGap);
    QCOMPARE(Control<TLinkLabel>(frm, "lblLink1URL")->geometry().left(), 13);
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->geometry(), QRect(308, 8, 98, 20));
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->geometry().right(), Control<QFrame>(frm, "bsSkinStatusBar1")->width() - 1);
  }

  void DepthListAndResultColumns() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->count(), 11);
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->itemText(0), QStringLiteral("100 items"));
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->itemText(9), QStringLiteral("1000 items"));
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->itemText(10), QString());
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->currentIndex(), 0);
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->currentText(), QStringLiteral("100 items"));
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->maxVisibleItems(), 8);
    QVERIFY(!Control<QComboBox>(frm, "cbxItems")->isEditable());
    Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(10);
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->currentIndex(), 10);

    TResultsModel* model = Control<TResultsModel>(frm, "lvwItemsModel");
    QCOMPARE(model->columnCount(), 6);
    const char* captions[6] = {"PR", "URL", "Home Page PR", "Has Your Link", "Anchor Name", "Alexa Ranking"};
    for (int i = 0; i < 6; ++i)
      QCOMPARE(model->headerData(i, Qt::Horizontal).toString(), QLatin1String(captions[i]));
    QHeaderView* header = Control<QTableView>(frm, "lvwItems")->horizontalHeader();
    QCOMPARE(header->sectionSize(0), 60);
    QCOMPARE(header->sectionSize(2), 100);
    QCOMPARE(header->sectionSize(3), 90);
    QCOMPARE(header->sectionSize(5), 100);
    // URL and Anchor Name share what is left.
    QCOMPARE(header->sectionResizeMode(1), QHeaderView::Stretch);
    QCOMPARE(header->sectionResizeMode(4), QHeaderView::Stretch);
    QVERIFY(qAbs(header->sectionSize(1) - header->sectionSize(4)) <= 1);
    QVERIFY(Control<QTableView>(frm, "lvwItems")->showGrid());
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(Control<QTableView>(frm, "lvwItems")->toolTip(), QStringLiteral("Double click to open URL"));
    QVERIFY(header->sectionsClickable());
  }

  void TabOrderRunsKeywordDomainDepthSearchSave() {
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QCOMPARE(Control<QLineEdit>(frm, "edtKeyword")->nextInFocusChain(), static_cast<QWidget*>(Control<QLineEdit>(frm, "edtDomain")));
    QCOMPARE(Control<QLineEdit>(frm, "edtDomain")->nextInFocusChain(), static_cast<QWidget*>(Control<QComboBox>(frm, "cbxItems")));
    QCOMPARE(Control<QComboBox>(frm, "cbxItems")->nextInFocusChain(), static_cast<QWidget*>(Control<QPushButton>(frm, "btnSearch")));
    QCOMPARE(Control<QPushButton>(frm, "btnSearch")->nextInFocusChain(), static_cast<QWidget*>(Control<QPushButton>(frm, "btnSave")));
  }

  void NewsWindowLayout() {
    TfrmNews news;
    news.show();
    QTest::qWait(0);
    QCOMPARE(news.windowTitle(), QStringLiteral("News"));
    QCOMPARE(news.size(), QSize(682, 411));
    QCOMPARE(news.lvwItems->headerItem()->text(0), QStringLiteral("News Title"));
    QCOMPARE(news.lvwItems->headerItem()->text(1), QStringLiteral("Published"));
    QCOMPARE(news.lvwItems->header()->sectionSize(1), 160);
    QCOMPARE(news.lvwItems->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(news.btnExit->text(), QStringLiteral("Close"));
    QCOMPARE(news.bsSkinPanel3->geometry(), QRect(0, 370, 682, 41));
    QCOMPARE(news.bsSkinPanel1->height(), 105);
    QCOMPARE(news.btnExit->geometry().left(), 304);
    // Widening keeps the Close button where it was against the centre.
    news.resize(882, 411);
    QTest::qWait(0);
    QCOMPARE(news.btnExit->geometry().left(), 404);
    news.btnExit->click();
    QCOMPARE(news.result(), int(QDialog::Accepted));
  }
};

HALVANE_QTEST(LayoutTest);
#include "LayoutTest.moc"
