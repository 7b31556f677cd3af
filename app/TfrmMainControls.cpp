// The main window's controls: both pages, their panels, buttons, inputs,
// the results list and the status bar, at their design positions.
#include "app/TfrmMain.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QToolButton>

#include "toolkit/TAlignLayout.h"
#include "toolkit/TBannerView.h"
#include "toolkit/TGauge.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TLinkLabel.h"
#include "toolkit/TPageControl.h"
#include "app/TResultsModel.h"
#include "toolkit/TToolIcons.h"

namespace halvane {
namespace {

constexpr int kPageWidth = 822;
constexpr int kPageHeight = 583;
const char* const kLayoutLinkAddress = "http://www.google.com/";

QFrame* NewPanel(const char* name, bool framed) {
  auto* panel = new QFrame();
  panel->setObjectName(QLatin1String(name));
  panel->setProperty("skinPanel", framed ? "framed" : "plain");
  return panel;
}

QPushButton* NewButton(const char* name, const char* caption, bool handCursor) {
  auto* button = new QPushButton(QLatin1String(caption));
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  if (handCursor) button->setCursor(Qt::PointingHandCursor);
  return button;
}

QToolButton* NewToolButton(const char* name, const char* hint, const QIcon& icon) {
  auto* button = new QToolButton();
  button->setObjectName(QLatin1String(name));
  button->setToolTip(QLatin1String(hint));
  button->setIcon(icon);
  button->setIconSize(QSize(26, 26));
  button->setAutoRaise(false);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

QLabel* NewLabel(const char* name, const char* caption) {
  auto* label = new QLabel(QLatin1String(caption));
  label->setObjectName(QLatin1String(name));
  return label;
}

// A label sized to its caption at a design position.
QRect LabelRect(QLabel* label, int left, int top) { return QRect(QPoint(left, top), label->sizeHint()); }

}  // namespace

void TfrmMain::CreateControls() {
  auto* layout = new TAlignLayout(this, QSize(kClientWidth, kClientHeight));
  pgcPrinc = new TPageControl();
  pgcPrinc->setObjectName(QStringLiteral("pgcPrinc"));
  layout->AddControl(pgcPrinc, QRect(0, 0, kClientWidth, kClientHeight), TAlign::Client);
  CreateWelcomePage();
  CreateSearchPage();
}

void TfrmMain::CreateWelcomePage() {
  stsWelcome = new QWidget();
  stsWelcome->setObjectName(QStringLiteral("stsWelcome"));
  pgcPrinc->AddPage(stsWelcome);
  auto* layout = new TAlignLayout(stsWelcome, QSize(kPageWidth, kPageHeight));

  bsSkinPanel14 = NewPanel("bsSkinPanel14", true);
  layout->AddControl(bsSkinPanel14, QRect(0, 544, kPageWidth, 39), TAlign::Bottom);
  auto* panelLayout = new TAlignLayout(bsSkinPanel14, QSize(kPageWidth, 39));
  bsSkinButton1 = NewButton("bsSkinButton1", "Thanks, just show me the main application", false);
  bsSkinButton1->setDefault(true);
  panelLayout->AddControl(bsSkinButton1, QRect(256, 8, 265, 20));
  connect(bsSkinButton1, &QPushButton::clicked, this, &TfrmMain::bsSkinButton1Click);
  // Enter presses the default button anywhere on the welcome page.
  for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), stsWelcome);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, bsSkinButton1, &QPushButton::click);
  }

  prfWelcome = new THtmlView();
  prfWelcome->setObjectName(QStringLiteral("prfWelcome"));
  layout->AddControl(prfWelcome, QRect(0, 0, kPageWidth, 544), TAlign::Client);
}

void TfrmMain::CreateSearchPage() {
  stsMain = new QWidget();
  stsMain->setObjectName(QStringLiteral("stsMain"));
  pgcPrinc->AddPage(stsMain);
  FSearchLayout = new TAlignLayout(stsMain, QSize(kPageWidth, kPageHeight));
  TAlignLayout* layout = FSearchLayout;

  // Title strip with the main buttons and the toolbar.
  bsSkinPanel4 = NewPanel("bsSkinPanel4", false);
  layout->AddControl(bsSkinPanel4, QRect(0, 0, kPageWidth, 43), TAlign::Top);
  auto* strip = new TAlignLayout(bsSkinPanel4, QSize(kPageWidth, 43));
  btnMakeMoney = NewButton("btnMakeMoney", "Make Money", false);
  strip->AddControl(btnMakeMoney, QRect(8, 6, 125, 20));
  btnAbout = NewButton("btnAbout", "About", false);
  strip->AddControl(btnAbout, QRect(140, 6, 125, 20));
  btnSources = NewButton("btnSources", "Sources", false);
  btnSources->setToolTip(QStringLiteral("Live mode: search today's web (SearXNG or Brave, Open PageRank, the Tranco list)"));
  strip->AddControl(btnSources, QRect(272, 6, 125, 20));
  btnPagesWithoutRow = NewButton("btnPagesWithoutRow", "Pages without a row", false);
  strip->AddControl(btnPagesWithoutRow, QRect(404, 6, 160, 20));
  btnPagesWithoutRow->hide();
  btnNews = NewToolButton("btnNews", "Check News", TToolIcons::News());
  strip->AddControl(btnNews, QRect(685, 1, 41, 34), TAlign::None, akTop | akRight);
  bsSkinSpeedButton1 = NewToolButton("bsSkinSpeedButton1", "Check Updates", TToolIcons::Update());
  strip->AddControl(bsSkinSpeedButton1, QRect(728, 1, 41, 34), TAlign::None, akTop | akRight);
  bsSkinSpeedButton2 = NewToolButton("bsSkinSpeedButton2", "Help", TToolIcons::Help());
  strip->AddControl(bsSkinSpeedButton2, QRect(771, 1, 41, 34), TAlign::None, akTop | akRight);
  connect(btnMakeMoney, &QPushButton::clicked, this, &TfrmMain::btnMakeMoneyClick);
  connect(btnAbout, &QPushButton::clicked, this, &TfrmMain::btnAboutClick);
  connect(btnSources, &QPushButton::clicked, this, &TfrmMain::btnSourcesClick);
  connect(btnPagesWithoutRow, &QPushButton::clicked, this, &TfrmMain::btnPagesWithoutRowClick);
  connect(bsSkinSpeedButton2, &QToolButton::clicked, this, &TfrmMain::btnHelpClick);

  // Banner.
  panBanner = NewPanel("panBanner", true);
  layout->AddControl(panBanner, QRect(0, 43, kPageWidth, 65), TAlign::Top);
  auto* banner = new TAlignLayout(panBanner, QSize(kPageWidth, 65));
  imgBanner = new TBannerView(TBannerView::TKind::Still);
  imgBanner->setObjectName(QStringLiteral("imgBanner"));
  banner->AddControl(imgBanner, QRect(144, -40, 105, 105));
  gifBanner = new TBannerView(TBannerView::TKind::Animated);
  gifBanner->setObjectName(QStringLiteral("gifBanner"));
  banner->AddControl(gifBanner, QRect(280, -75, 98, 140));
  connect(imgBanner, &TBannerView::Clicked, this, &TfrmMain::imgBannerClick);
  connect(gifBanner, &TBannerView::Clicked, this, &TfrmMain::gifBannerClick);

  // Search inputs.
  bsSkinPanel1 = NewPanel("bsSkinPanel1", false);
  layout->AddControl(bsSkinPanel1, QRect(0, 108, kPageWidth, 68), TAlign::Top);
  auto* inputs = new TAlignLayout(bsSkinPanel1, QSize(kPageWidth, 68));
  bsSkinStdLabel1 = NewLabel("bsSkinStdLabel1", "Keyword:");
  inputs->AddControl(bsSkinStdLabel1, LabelRect(bsSkinStdLabel1, 8, 12));
  edtKeyword = new QLineEdit();
  edtKeyword->setObjectName(QStringLiteral("edtKeyword"));
  inputs->AddControl(edtKeyword, QRect(62, 9, 240, 18));
  btnSearch = NewButton("btnSearch", "Search", true);
  inputs->AddControl(btnSearch, QRect(308, 8, 98, 20));
  connect(btnSearch, &QPushButton::clicked, this, &TfrmMain::btnSearchClick);
  connect(edtKeyword, &QLineEdit::returnPressed, this, &TfrmMain::edtKeywordReturnPressed);
  btnSave = NewButton("btnSave", "Save Results", true);
  inputs->AddControl(btnSave, QRect(410, 8, 98, 20));
  bsSkinStdLabel2 = NewLabel("bsSkinStdLabel2", "Your domain (optionally):");
  inputs->AddControl(bsSkinStdLabel2, LabelRect(bsSkinStdLabel2, 8, 42));
  edtDomain = new QLineEdit();
  edtDomain->setObjectName(QStringLiteral("edtDomain"));
  inputs->AddControl(edtDomain, QRect(128, 39, 174, 18));
  bsSkinStdLabel3 = NewLabel("bsSkinStdLabel3", "Search Deep:");
  inputs->AddControl(bsSkinStdLabel3, LabelRect(bsSkinStdLabel3, 312, 42));
  cbxItems = new QComboBox();
  cbxItems->setObjectName(QStringLiteral("cbxItems"));
  cbxItems->setEditable(false);
  cbxItems->setMaxVisibleItems(8);
  for (int depth = 100; depth <= 1000; depth += 100) cbxItems->addItem(QStringLiteral("%1 items").arg(depth));
  cbxItems->addItem(QString());
  cbxItems->setCurrentIndex(0);
  inputs->AddControl(cbxItems, QRect(384, 38, 89, 20));

  // Bottom edge, docked from the outside in.
  bsSkinStatusBar1 = NewPanel("bsSkinStatusBar1", false);
  layout->AddControl(bsSkinStatusBar1, QRect(0, 566, kPageWidth, 17), TAlign::Bottom);
  auto* status = new TAlignLayout(bsSkinStatusBar1, QSize(kPageWidth, 17));
  MainGauge = new TGauge();
  MainGauge->setObjectName(QStringLiteral("MainGauge"));
  status->AddControl(MainGauge, QRect(692, 0, 130, 17), TAlign::Right);
  stpItems = NewLabel("stpItems", "0 items listed");
  stpItems->setProperty("skinPanel", "status");
  status->AddControl(stpItems, QRect(498, 0, 194, 17), TAlign::Right);
  MainStatusPanel = NewLabel("MainStatusPanel", "");
  MainStatusPanel->setProperty("skinPanel", "status");
  status->AddControl(MainStatusPanel, QRect(0, 0, 498, 17), TAlign::Client);

  panLinks = NewPanel("panLinks", false);
  layout->AddControl(panLinks, QRect(0, 530, kPageWidth, 36), TAlign::Bottom);
  auto* links = new TAlignLayout(panLinks, QSize(kPageWidth, 36));
  lblLink1URL = new TLinkLabel();
  lblLink1URL->setObjectName(QStringLiteral("lblLink1URL"));
  links->AddControl(lblLink1URL, QRect(13, 10, 34, 14));
  lblLink2URL = new TLinkLabel();
  lblLink2URL->setObjectName(QStringLiteral("lblLink2URL"));
  lblLink2URL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  links->AddControl(lblLink2URL, QRect(774, 10, 34, 14), TAlign::None, akTop | akRight);
  for (TLinkLabel* link : {lblLink1URL, lblLink2URL}) {
    link->SetCaption("Google");
    link->SetAddress(kLayoutLinkAddress);
  }

  pan = NewPanel("pan", true);
  layout->AddControl(pan, QRect(0, 491, kPageWidth, 39), TAlign::Bottom);
  auto* listButtons = new TAlignLayout(pan, QSize(kPageWidth, 39));
  btnSelectAll = NewButton("btnSelectAll", "Select All", true);
  listButtons->AddControl(btnSelectAll, QRect(9, 7, 100, 20));
  bsSkinButton2 = NewButton("bsSkinButton2", "Clear Selection", true);
  listButtons->AddControl(bsSkinButton2, QRect(112, 7, 100, 20));
  btnDelSelected = NewButton("btnDelSelected", "Delete Selected", true);
  listButtons->AddControl(btnDelSelected, QRect(215, 7, 100, 20));
  btnDelAll = NewButton("btnDelAll", "Delete All", true);
  listButtons->AddControl(btnDelAll, QRect(319, 7, 99, 20));
  // Live mode's own, hidden until it is on (TfrmMainWorkbench.cpp).
  btnRecheck = NewButton("btnRecheck", "Re-check Links", true);
  btnRecheck->setToolTip(QStringLiteral("Fetch the pages where you commented and see whether your links are still there"));
  btnRecheck->hide();
  listButtons->AddControl(btnRecheck, QRect(440, 7, 110, 20));
  btnHistory = NewButton("btnHistory", "History", true);
  btnHistory->setToolTip(QStringLiteral("Show the rows of pages judged earlier, from the store"));
  btnHistory->hide();
  listButtons->AddControl(btnHistory, QRect(556, 7, 110, 20));

  // The list view scrolls itself; the skinned bars stay hidden.
  bsSkinScrollBar1 = new QScrollBar(Qt::Horizontal);
  bsSkinScrollBar1->setObjectName(QStringLiteral("bsSkinScrollBar1"));
  bsSkinScrollBar1->setVisible(false);
  layout->AddControl(bsSkinScrollBar1, QRect(0, 472, kPageWidth, 19), TAlign::Bottom);
  bsSkinScrollBar2 = new QScrollBar(Qt::Vertical);
  bsSkinScrollBar2->setObjectName(QStringLiteral("bsSkinScrollBar2"));
  bsSkinScrollBar2->setVisible(false);
  layout->AddControl(bsSkinScrollBar2, QRect(803, 176, 19, 296), TAlign::Right);

  lvwItems = new QTableView();
  lvwItems->setObjectName(QStringLiteral("lvwItems"));
  lvwItemsModel = new TResultsModel(lvwItems);
  lvwItemsModel->setObjectName(QStringLiteral("lvwItemsModel"));
  lvwItems->setModel(lvwItemsModel);
  lvwItems->setShowGrid(true);
  lvwItems->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwItems->setSelectionMode(QAbstractItemView::SingleSelection);
  // Only the first column's text can be edited in place; a double click
  // opens the row's address instead.
  lvwItems->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  lvwItems->setWordWrap(false);
  lvwItems->setToolTip(QStringLiteral("Double click to open URL"));
  lvwItems->verticalHeader()->hide();
  lvwItems->verticalHeader()->setDefaultSectionSize(20);
  QHeaderView* header = lvwItems->horizontalHeader();
  header->setHighlightSections(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setMinimumSectionSize(20);
  const int widths[6] = {60, 0, 100, 90, 0, 100};
  for (int column = 0; column < 6; ++column) {
    if (widths[column] == 0) {
      header->setSectionResizeMode(column, QHeaderView::Stretch);
    } else {
      header->setSectionResizeMode(column, QHeaderView::Interactive);
      lvwItems->setColumnWidth(column, widths[column]);
    }
  }
  layout->AddControl(lvwItems, QRect(0, 176, 803, 296), TAlign::Client);

  CreateWorkbench(layout);

  QWidget::setTabOrder(edtKeyword, edtDomain);
  QWidget::setTabOrder(edtDomain, cbxItems);
  QWidget::setTabOrder(cbxItems, btnSearch);
  QWidget::setTabOrder(btnSearch, btnSave);
}

}  // namespace halvane
