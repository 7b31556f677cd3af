#include "TfrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "AppVersion.h"
#include "BrandSettings.h"
#include "CodePage.h"
#include "CsvExport.h"
#include "FormPlacement.h"
#include "Harvest.h"
#include "IniFile.h"
#include "ItemAnalysis.h"
#include "NewsProtocol.h"
#include "PageText.h"
#include "Process.h"
#include "ResultsList.h"
#include "TAlignLayout.h"
#include "TBalloonHint.h"
#include "TBannerView.h"
#include "TextConvert.h"
#include "TFileStream.h"
#include "TfrmAbout.h"
#include "TfrmNews.h"
#include "TGauge.h"
#include "THtmlView.h"
#include "THttpClient.h"
#include "TLinkLabel.h"
#include "TMessageBox.h"
#include "TMultipartBody.h"
#include "TNewsClient.h"
#include "TPageControl.h"
#include "TPageFile.h"
#include "TPageRank.h"
#include "TResultsModel.h"
#include "TSaveDialog.h"
#include "TShell.h"
#include "TSkin.h"
#include "TSortState.h"
#include "TToolIcons.h"
#include "TUiThread.h"
#include "UpdateCheck.h"

namespace halvane {
namespace {

constexpr int kClientWidth = 824;
constexpr int kClientHeight = 605;
constexpr int kPageWidth = 822;
constexpr int kPageHeight = 583;
// Banner pictures beyond this size are not decoded.
constexpr std::uintmax_t kMaxBannerFileBytes = 16u << 20;
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

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The file-name part of a settings value that may carry a folder.
std::string FileNamePart(const std::string& name) {
  const std::size_t cut = name.find_last_of("\\/:");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

// Runs its action when it goes out of scope, however the scope is left.
template <class TAction>
class TScopeExit {
 public:
  explicit TScopeExit(TAction action) : FAction(std::move(action)) {}
  ~TScopeExit() { FAction(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  TAction FAction;
};

bool ReadSmallFile(const std::string& path, QByteArray& bytes) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxBannerFileBytes) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.resize(static_cast<qsizetype>(size));
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<qsizetype>(in.gcount()));
  return true;
}

}  // namespace

TfrmMain::TfrmMain(std::string programFolder, TServiceEndpoints endpoints, TProgramServices services,
                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      FProgramFolder(std::move(programFolder)),
      FEndpoints(std::move(endpoints)),
      FServices(std::move(services)) {
  setObjectName(QStringLiteral("TfrmMain"));
  setWindowTitle(QStringLiteral("Halvane"));
  TSkin::ApplyBuiltIn();
  msgMain = new TMessageBox(this);
  msgMain->setObjectName(QStringLiteral("msgMain"));
  bsSkinSaveDialog1 = new TSaveDialog(this);
  bsSkinSaveDialog1->setObjectName(QStringLiteral("bsSkinSaveDialog1"));
  bsSkinSaveDialog1->SetInitialPath(FProgramFolder);
  BalloonHint = new TBalloonHint(this);
  UiThread = new TUiThread(this);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
  IdHTTP1 = std::make_unique<THttpClient>();
  IdHTTP1->SetEventPump([] { TUiThread::PumpEvents(); }, UiThread->InterfaceThreadId());
  // A Stop reaches a request to a silent server within one wait slice; other
  // users of the client (news, updates) are not cut by an old Stop.
  IdHTTP1->SetAbortCheck([this] { return FFetching && StopRequested; });
  IdHTTP1->OnWorkBegin = [this](TWorkMode mode, std::int64_t expected) { IdHTTP1WorkBegin(mode, expected); };
  IdHTTP1->OnWork = [this](TWorkMode mode, std::int64_t count) { IdHTTP1Work(mode, count); };
  IdHTTP1->OnWorkEnd = [this](TWorkMode mode) { IdHTTP1WorkEnd(mode); };
  CreateControls();
  connect(btnNews, &QToolButton::clicked, this, &TfrmMain::btnNewsClick);
  connect(bsSkinSpeedButton1, &QToolButton::clicked, this, &TfrmMain::btnUpdateClick);
  ConnectResultsList();
  resize(kClientWidth, kClientHeight);
  CentreOnScreen(this, QSize(kClientWidth, kClientHeight));
  FormCreate();
}

TfrmMain::~TfrmMain() {
  WaitForRankWorkers();
  FormDestroy();
}

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
  btnNews = NewToolButton("btnNews", "Check News", TToolIcons::News());
  strip->AddControl(btnNews, QRect(685, 1, 41, 34), TAlign::None, akTop | akRight);
  bsSkinSpeedButton1 = NewToolButton("bsSkinSpeedButton1", "Check Updates", TToolIcons::Update());
  strip->AddControl(bsSkinSpeedButton1, QRect(728, 1, 41, 34), TAlign::None, akTop | akRight);
  bsSkinSpeedButton2 = NewToolButton("bsSkinSpeedButton2", "Help", TToolIcons::Help());
  strip->AddControl(bsSkinSpeedButton2, QRect(771, 1, 41, 34), TAlign::None, akTop | akRight);
  connect(btnMakeMoney, &QPushButton::clicked, this, &TfrmMain::btnMakeMoneyClick);
  connect(btnAbout, &QPushButton::clicked, this, &TfrmMain::btnAboutClick);
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

  QWidget::setTabOrder(edtKeyword, edtDomain);
  QWidget::setTabOrder(edtDomain, cbxItems);
  QWidget::setTabOrder(cbxItems, btnSearch);
  QWidget::setTabOrder(btnSearch, btnSave);
}

void TfrmMain::FormCreate() {
  gifBanner->setGeometry(imgBanner->geometry());
  try {
    FBrandingApplied = FServices.LoadBrandSettings && FServices.LoadBrandSettings(FProgramFolder, FSettings);
    if (FBrandingApplied) ApplyBranding();
  } catch (...) {
    // A damaged settings file or banner leaves the rest of the start-up
    // intact; the window keeps what was applied so far.
  }
  if (FSettings.WelcomeHtml.empty()) ArmTimer1();
  NewsList = std::make_unique<std::vector<std::string>>();
  Sort = TSortState();
  HarvestedUrls = std::make_unique<THarvestedUrls>();
}

void TfrmMain::ApplyBranding() {
  setWindowTitle(ToQString(FSettings.ApplicationName + " v" + AppVersion));
  btnNews->setVisible(FServices.NewsButtonShown && FServices.NewsButtonShown(FSettings));
  btnMakeMoney->setText(ToQString(FSettings.MakeMoneyCaption));
  if (!FSettings.BannerURL.empty()) {
    imgBanner->setCursor(Qt::PointingHandCursor);
    gifBanner->setCursor(Qt::PointingHandCursor);
  }
  ShowBanner();
  panLinks->setVisible(!FSettings.Link1Caption.empty());
  lblLink1URL->SetCaption(FSettings.Link1Caption);
  lblLink1URL->SetAddress(FSettings.Link1URL);
  lblLink2URL->SetCaption(FSettings.Link2Caption);
  lblLink2URL->SetAddress(FSettings.Link2URL);
  const std::string skin = FProgramFolder + "mainskin.dat";
  if (FileExists(skin)) TSkin::ApplyFile(skin);
  const std::string icon = FProgramFolder + "main.ico";
  if (FileExists(icon)) {
    QImageReader reader(PathToQString(icon), "ico");
    reader.setDecideFormatFromContent(false);
    const QImage image = reader.read();
    if (!image.isNull() && image.width() <= TBannerView::kMaxSide && image.height() <= TBannerView::kMaxSide)
      QApplication::setWindowIcon(QIcon(QPixmap::fromImage(image)));
  }
}

void TfrmMain::ShowBanner() {
  if (FSettings.BannerFile.empty()) {
    panBanner->hide();
    return;
  }
  const std::string imageFile = FProgramFolder + "banner" + std::to_string(FSettings.BannerNumber) + ".dat";
  if (!FileExists(imageFile)) {
    panBanner->hide();
    return;
  }
  // The picture is decoded straight from its own file with the decoder the
  // branded name selects; no file is renamed, so nothing is left behind if
  // the program stops here, and a file that already has the branded name is
  // never touched.
  const std::string brandedPath = FProgramFolder + FileNamePart(FSettings.BannerFile);
  QByteArray bytes;
  const bool read = ReadSmallFile(imageFile, bytes);
  const bool animated = platform::AnsiLowerCase(brandedPath).find(".gif") != std::string::npos;
  TBannerView* shown = animated ? gifBanner : imgBanner;
  TBannerView* other = animated ? imgBanner : gifBanner;
  other->hide();
  shown->show();
  const QByteArray format = animated ? QByteArray("gif") : TBannerView::FormatForFileName(brandedPath);
  if (!read || !shown->LoadPicture(bytes, format)) {
    // A picture that does not decode is treated like a missing one.
    panBanner->hide();
    return;
  }
  SetBannerPanelHeight(shown->height() + 10);
}

void TfrmMain::SetBannerPanelHeight(int height) {
  panBanner->resize(panBanner->width(), height);
  FSearchLayout->SetExtent(panBanner, height);
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FShown) return;
  FShown = true;
  FormShow();
}

void TfrmMain::FormShow() {
  const int pages = pgcPrinc->PageCount();
  for (int i = 0; i < pages; ++i) {
    pgcPrinc->SetActivePage(i);
    TUiThread::PumpEvents();
  }
  pgcPrinc->SetActivePage(0);
  if (!FSettings.WelcomeHtml.empty() && stsWelcome) {
    pgcPrinc->HidePageTab(pgcPrinc->IndexOf(stsWelcome));
    pgcPrinc->SetActivePage(0);
    prfWelcome->LoadHtml(FSettings.WelcomeHtml);
  } else if (stsWelcome) {
    pgcPrinc->DestroyPage(pgcPrinc->IndexOf(stsWelcome));
    stsWelcome = nullptr;
    prfWelcome = nullptr;
    bsSkinPanel14 = nullptr;
    bsSkinButton1 = nullptr;
  }
  pgcPrinc->HidePageTab(pgcPrinc->IndexOf(stsMain));
  pgcPrinc->SetActivePage(0);
  FormResize();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TfrmMain::FormResize() {
  if (!panBanner) return;
  // Hidden pages get their sizes late; arrange the search page now so the
  // banner is centred in the panel's real width.
  FSearchLayout->setGeometry(stsMain->contentsRect());
  for (TBannerView* view : {imgBanner, gifBanner})
    view->move(panBanner->width() / 2 - view->width() / 2, panBanner->height() / 2 - view->height() / 2);
}

void TfrmMain::bsSkinButton1Click() {
  pgcPrinc->SetActivePage(pgcPrinc->IndexOf(stsMain));
  if (!FSettings.WelcomeHtml.empty()) ArmTimer1();
}

void TfrmMain::ArmTimer1() {
  if (FTimer1Armings > 0) return;
  ++FTimer1Armings;
  Timer1->start();
}

void TfrmMain::Timer1Timer() {
  Timer1->stop();
  ++FTimer1Firings;
  if (const std::optional<TNewsTier> tier = SelectNewsTier(FSettings)) {
    std::string latestId;
    std::string title;
    if (GetLastNewsCode(tier->PublisherId, FSettings.BranderCode, tier->ProductTypeCode, std::string(kNewsTarget),
                        true, latestId, title)) {
      std::string storedId;
      try {
        storedId = ReadLastNewsId(FProgramFolder);
      } catch (const std::exception&) {
        // An unreadable settings file counts as no news opened yet.
      }
      if (ShouldAnnounce(storedId, latestId)) ShowNewsHint(NewsHintText(title));
    }
  }
  CheckForUpdates(true);
}

void TfrmMain::imgBannerClick() {
  if (!FSettings.BannerURL.empty()) TShell::OpenInBrowser(FSettings.BannerURL);
}

void TfrmMain::gifBannerClick() {
  if (!FSettings.BannerURL.empty()) TShell::OpenInBrowser(FSettings.BannerURL);
}

void TfrmMain::btnMakeMoneyClick() { TShell::OpenInBrowser(FSettings.AffiliateURL); }

void TfrmMain::btnHelpClick() { TShell::OpenInBrowser(FSettings.AppHelpURL); }

void TfrmMain::btnAboutClick() {
  TfrmAbout about(FSettings, this);
  about.exec();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfrmMain::FormClose() {
  if (FClosing) return;
  FClosing = true;
  try {
    IdHTTP1->Disconnect();
  } catch (...) {
  }
  StopRequested = true;
  Timer1->stop();
  FormDestroy();
  if (FServices.ReleaseChecksumScript) FServices.ReleaseChecksumScript();
  // Ends the process here, also from inside a handler nested in a search.
  if (FServices.ExitProcess) FServices.ExitProcess(0);
}

void TfrmMain::FormDestroy() {
  if (FRunActive) {
    // A run below on the stack still holds the lists; that happens only
    // when the exit returns (tests), and then they go with the window.
    FRetiredUrls = std::move(HarvestedUrls);
    FRetiredNews = std::move(NewsList);
    return;
  }
  NewsList.reset();
  HarvestedUrls.reset();
}

}  // namespace halvane

namespace halvane {
namespace {

// The fetched body as page text.
std::string PageText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EStreamError("cannot read " + path);
  const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EStreamError("cannot read " + path);
  return PageTextFromBody(body);
}

QString Caption(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

void TfrmMain::SetSortingByHeader(bool on) { lvwItems->horizontalHeader()->setSectionsClickable(on); }

void TfrmMain::btnSearchClick() {
  if (edtKeyword->text().isEmpty()) {
    msgMain->Execute(kKeywordMissingNotice, TMsgKind::Information, TMsgButtons::Ok);
    return;
  }
  if (btnSearch->text() == Caption(kSearchCaption)) {
    // A stopped run that has not yet returned reads "Search" already; a
    // second run must not start inside it, so the click is ignored.
    if (FRunActive) return;
    FRunActive = true;
    lvwItemsModel->Clear();
    stpItems->setText(QString());
    SetSortingByHeader(false);
    StopRequested = false;
    btnSearch->setText(Caption(kStopCaption));
    try {
      HarvestResults();
      AnalyseItems();
    } catch (const std::exception& error) {
      // test.html could not be created: the run ends here, the window goes
      // back to idle and says why.
      FRunActive = false;
      btnSearch->setText(Caption(kSearchCaption));
      SetSortingByHeader(true);
      msgMain->Execute(error.what(), TMsgKind::Warning, TMsgButtons::Ok);
      return;
    }
    FRunActive = false;
    btnSearch->setText(Caption(kSearchCaption));
    TUiThread::PumpEvents();
    SetSortingByHeader(true);
    return;
  }
  StopRequested = true;
  btnSearch->setText(Caption(kSearchCaption));
  SetSortingByHeader(true);
  TUiThread::PumpEvents();
}

void TfrmMain::HarvestResults() {
  if (!HarvestedUrls) return;
  HarvestedUrls->Clear();
  THarvestedUrls urls;
  const auto fetch = [this](const std::string& address) -> std::optional<std::string> {
    std::string text;
    if (!FetchPage(address, text)) return std::nullopt;
    return text;
  };
  // A window closed from inside the harvest has no list to fill.
  const auto stop = [this] { return StopRequested.load() || !HarvestedUrls; };
  halvane::HarvestResults(FEndpoints.SearchHost, FEndpoints.ImageSearchPrefix, FromQString(edtKeyword->text()),
                          cbxItems->currentIndex(), fetch, stop, [] { TUiThread::PumpEvents(); }, urls);
  if (HarvestedUrls) *HarvestedUrls = std::move(urls);
}

void TfrmMain::AnalyseItems() {
  stpItems->setText(ToQString(kAnalysisStartText));
  if (HarvestedUrls) {
    const std::vector<std::string> addresses = HarvestedUrls->Items();
    std::size_t visited = 0;
    for (const std::string& address : addresses) {
      ++visited;
      if (StopRequested) break;
      AnalyseItem(address);
      if (StopRequested) break;
      stpItems->setText(ToQString(ItemsFoundText(lvwItemsModel->Count(), visited)));
      TUiThread::PumpEvents();
    }
  }
  stpItems->setText(ToQString(ItemsListedText(lvwItemsModel->Count())));
}

void TfrmMain::AnalyseItem(const std::string& address) {
  std::string page;
  if (!FetchPage(address, page)) return;
  const std::string prepared = TrimAndLowerPage(page);
  page = std::string();
  if (!IsQualifyingPage(prepared)) return;
  TResultItem item;
  item.URL = address;
  const std::uint64_t row = lvwItemsModel->Add(std::move(item));

  std::string rank;
  if (!RankQuery(PageRankPageName(address), rank)) return;
  lvwItemsModel->SetCell(row, kColumnPR, rank);
  if (StopRequested) return;
  if (!RankQuery(HomePagePageRankName(address), rank)) return;
  lvwItemsModel->SetCell(row, kColumnHomePagePR, rank);

  const TLinkScanResult scan = ScanForUserLink(prepared, DomainFromEditText(FromQString(edtDomain->text())));
  lvwItemsModel->SetCell(row, kColumnHasYourLink, HasYourLinkCellText(scan));
  lvwItemsModel->SetCell(row, kColumnAnchorName, AnchorCellText(scan));

  std::string ranking;
  if (FetchPage(RankingPageAddress(FEndpoints.RankingHost, address), ranking)) {
    const std::string value = ExtractRankingValue(ranking);
    TUiThread::PumpEvents();
    if (StopRequested) return;
    lvwItemsModel->SetCell(row, kColumnAlexaRanking, value);
  } else {
    lvwItemsModel->SetCell(row, kColumnAlexaRanking, "-");
  }
}

bool TfrmMain::RankQuery(const std::string& pageName, std::string& answer) {
  const std::uint64_t tag = RankText.Begin();
  MainStatusPanel->setText(ToQString(kRankStatusText));
  PageRank->SetPage(pageName);
  PageRank->NonBlock = true;
  if (StopRequested) return false;
  // The handler carries this query's tag, so a late answer of an abandoned
  // query is dropped by RankText.
  PageRank->OnGetRank = [this, tag](const std::string& page, std::string& reply) {
    return PageRankGetRank(page, reply, tag);
  };
  ++FRankWorkers;
  PageRank->RequestRank();
  // No worker could be started: nothing will complete.
  if (!PageRank->CurrentThread()) --FRankWorkers;
  // The worker's answer posts a wake-up; the timer bounds each wait so a
  // Stop is seen even when nothing else arrives.
  QTimer wake;
  wake.start(20);
  std::string text = RankText.Text();
  while (text.empty() && !StopRequested) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    text = RankText.Text();
  }
  if (!text.empty() && !StopRequested) MainStatusPanel->setText(QString());
  answer = RankCellFromAnswer(text);
  return true;
}

bool TfrmMain::PageRankGetRank(const std::string& Page, std::string& /*Rank*/, std::uint64_t queryTag) {
  bool fetched = false;
  std::string answer(kNoRankData);
  try {
    std::string reply;
    if (FetchPage(Page, reply)) {
      answer = RankAnswerFromReply(reply);
      fetched = true;
    }
  } catch (...) {
    // Any failure on the way answers "No Data" and reports no fetch.
  }
  RankText.Store(queryTag, std::move(answer));
  UiThread->PostLater([] {});
  return fetched;
}

void TfrmMain::ConnectResultsList() {
  // Completions of the workers go to the interface thread; counting them
  // lets the window outlive every worker that still refers to it.
  auto post = [this](std::function<void()> completion) {
    UiThread->PostLater([this, completion = std::move(completion)] {
      completion();
      --FRankWorkers;
    });
  };
  PageRank = std::make_unique<TPageRank>(FEndpoints.PageRankHost, post);
  connect(btnSelectAll, &QPushButton::clicked, this, &TfrmMain::btnSelectAllClick);
  connect(bsSkinButton2, &QPushButton::clicked, this, &TfrmMain::bsSkinButton2Click);
  connect(btnDelSelected, &QPushButton::clicked, this, &TfrmMain::btnDelSelectedClick);
  connect(btnDelAll, &QPushButton::clicked, this, &TfrmMain::btnDelAllClick);
  connect(btnSave, &QPushButton::clicked, this, &TfrmMain::btnSaveClick);
  connect(lvwItems->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfrmMain::lvwItemsColumnClick);
  connect(lvwItems, &QTableView::doubleClicked, this, [this] { lvwItemsDblClick(); });
}

void TfrmMain::WaitForRankWorkers() {
  // A worker's request ends within one wait slice once Stop is set.
  StopRequested = true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (FRankWorkers > 0 && std::chrono::steady_clock::now() < until) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void TfrmMain::btnSelectAllClick() { lvwItemsModel->SetAllChecked(true); }

void TfrmMain::bsSkinButton2Click() { lvwItemsModel->SetAllChecked(false); }

void TfrmMain::btnDelSelectedClick() { DeleteRows(false); }

void TfrmMain::btnDelAllClick() { DeleteRows(true); }

void TfrmMain::DeleteRows(bool allRows) {
  if (btnSearch->text() == ToQString(kStopCaption) || lvwItemsModel->Count() == 0) return;
  const TMsgResult answer = msgMain->Execute(allRows ? kDeleteAllQuestion : kDeleteSelectedQuestion,
                                             TMsgKind::Information, TMsgButtons::OkCancel);
  if (answer == TMsgResult::Ok) {
    if (allRows) {
      lvwItemsModel->Clear();
    } else {
      lvwItemsModel->DeleteChecked();
    }
  }
  stpItems->setText(ToQString(ItemsListedText(lvwItemsModel->Count())));
}

void TfrmMain::lvwItemsColumnClick(int column) {
  Sort.HeaderClick(column);
  lvwItemsModel->Sort(column, Sort.SortAscending);
}

void TfrmMain::lvwItemsDblClick() {
  try {
    const QModelIndexList rows = lvwItems->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    const auto row = static_cast<std::size_t>(rows.front().row());
    if (row >= lvwItemsModel->Count()) return;
    TShell::OpenInBrowser(lvwItemsModel->Item(row).URL);
  } catch (...) {
  }
}

void TfrmMain::btnSaveClick() { SaveResultsToCsv(); }

void TfrmMain::SaveResultsToCsv() {
  if (lvwItemsModel->Count() == 0) {
    msgMain->Execute(kNoDataToSaveNotice, TMsgKind::Information, TMsgButtons::Ok);
    return;
  }
  const std::optional<std::string> chosen =
      bsSkinSaveDialog1->Execute(std::string(kSaveDialogTitle), std::string(kCsvDialogFilter));
  if (!chosen) return;
  try {
    // A failed write leaves any older file in place and says nothing.
    WriteCsvFile(CsvPathForChosenPath(*chosen), BuildCsvLines(ResultColumnCaptions(), lvwItemsModel->Items()));
  } catch (...) {
  }
}

void TfrmMain::PumpIfInterfaceThread() {
  if (UiThread->IsInterfaceThread()) TUiThread::PumpEvents();
}

void TfrmMain::SetStatusText(std::string_view text) {
  UiThread->Post([this, shown = std::string(text)] { MainStatusPanel->setText(ToQString(shown)); });
}

void TfrmMain::SetGauge(std::int64_t maximum, std::int64_t value, bool setMaximum) {
  UiThread->Post([this, maximum, value, setMaximum] {
    if (setMaximum) MainGauge->SetMaxValue(maximum);
    MainGauge->SetProgress(value < 0 ? MainGauge->MaxValue() : value);
  });
}

bool TfrmMain::AcquireClient() {
  const std::thread::id self = std::this_thread::get_id();
  // The client holds one exchange at a time: a fetch from a handler nested
  // in this thread's own fetch cannot wait for it and is refused.
  if (FClientOwner.load() == self) return false;
  if (UiThread->IsInterfaceThread()) {
    while (!FClientMutex.try_lock()) {
      TUiThread::PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  } else {
    FClientMutex.lock();
  }
  FClientOwner = self;
  return true;
}

void TfrmMain::ReleaseClient() {
  FClientOwner = std::thread::id();
  FClientMutex.unlock();
}

bool TfrmMain::FetchPage(const std::string& address, std::string& text) {
  if (StopRequested) return false;
  text.clear();
  if (!AcquireClient()) {
    SetStatusText(kFetchFailedStatus);
    return false;
  }
  const TScopeExit release([this] {
    FFetching = false;
    ReleaseClient();
  });
  if (StopRequested) return false;
  const std::string path = FProgramFolder + "test.html";
  // Raised to the caller before any status text or request.
  auto file = std::make_unique<TPageFile>(path);
  FFetching = true;
  bool fetched = false;
  try {
    SetStatusText(GettingUrlStatusText(address));
    SetGauge(0, 0, false);
    PumpIfInterfaceThread();
    IdHTTP1->Get(address, *file);
    file.reset();
    IdHTTP1->Disconnect();
    if (StopRequested) {
      SetStatusText(kFetchAbortedStatus);
    } else {
      text = PageText(path);
      SetStatusText(kFetchDoneStatus);
      fetched = true;
    }
  } catch (...) {
    try {
      IdHTTP1->Disconnect();
    } catch (...) {
    }
    file.reset();
    text.clear();
    SetStatusText(kFetchFailedStatus);
    fetched = false;
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return fetched;
}

void TfrmMain::IdHTTP1WorkBegin(TWorkMode, std::int64_t expected) {
  SetGauge(expected, 0, true);
  PumpIfInterfaceThread();
}

void TfrmMain::IdHTTP1Work(TWorkMode, std::int64_t count) {
  // Only a page fetch is cut by Stop; an old Stop leaves other transfers be.
  if (FFetching && StopRequested) IdHTTP1->Disconnect();
  SetGauge(0, count, false);
  PumpIfInterfaceThread();
}

void TfrmMain::IdHTTP1WorkEnd(TWorkMode) {
  SetGauge(0, -1, false);
  PumpIfInterfaceThread();
}

TNewsClient TfrmMain::NewsClient() {
  return TNewsClient(
      FSettings, [this](const std::string& address, TMultipartBody& body) { return PostNewsForm(address, body); },
      [this](const std::string& text) { msgMain->Execute(text, TMsgKind::Warning, TMsgButtons::Ok); });
}

std::string TfrmMain::PostNewsForm(const std::string& address, TMultipartBody& body) {
  // A request from a handler nested in this thread's own exchange cannot
  // wait for it; it fails like an unreachable server and the exchange under
  // way goes on untouched.
  if (!AcquireClient()) throw EHttpClientError(THttpErrorKind::Busy, "the HTTP client is in use");
  const TScopeExit release([this] { ReleaseClient(); });
  return IdHTTP1->Post(address, body, body.ContentType());
}

bool TfrmMain::GetLastNews(const std::string& publisherId, const std::string& productCode,
                           const std::string& productTypeCode, const std::string& newsTarget,
                           std::vector<std::string>& list) {
  return NewsClient().RequestList(publisherId, productCode, productTypeCode, newsTarget, list);
}

bool TfrmMain::GetLastNewsCode(const std::string& publisherId, const std::string& productCode,
                               const std::string& productTypeCode, const std::string& newsTarget, bool quiet,
                               std::string& latestId, std::string& title) {
  return NewsClient().RequestLatest(publisherId, productCode, productTypeCode, newsTarget, quiet, latestId, title);
}

void TfrmMain::btnNewsClick() {
  if (!NewsList) return;
  NewsList->clear();
  // Filled apart and handed over afterwards: the window may close (and drop
  // its lists) while the request waits.
  std::vector<std::string> items;
  bool listed = false;
  if (const std::optional<TNewsTier> tier = SelectNewsTier(FSettings))
    listed = GetLastNews(tier->PublisherId, FSettings.BranderCode, tier->ProductTypeCode, std::string(kNewsTarget),
                         items);
  if (FClosing || !NewsList) return;
  *NewsList = std::move(items);
  if (listed && !NewsList->empty()) {
    TfrmNews news(NewsClient(), *NewsList, FProgramFolder, this);
    news.exec();
    return;
  }
  msgMain->Execute(kNoNewsNotice, TMsgKind::Information, TMsgButtons::Ok);
}

void TfrmMain::ShowNewsHint(const std::string& text) {
  const QPoint centre(btnNews->width() / 2, btnNews->height() / 2);
  BalloonHint->ShowAt(btnNews->mapToGlobal(centre), ToQString(text));
}

void TfrmMain::btnUpdateClick() { CheckForUpdates(false); }

bool TfrmMain::DownloadFile(const std::string& address, const std::string& localPath) {
  std::error_code ignored;
  std::filesystem::remove(localPath, ignored);
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(localPath, TFileMode::Create);
  } catch (const std::exception&) {
    // A folder we cannot write to: no copy, so no update found.
    return false;
  }
  TUiThread::PumpEvents();
  bool fetched = false;
  if (AcquireClient()) {
    const TScopeExit release([this] { ReleaseClient(); });
    try {
      IdHTTP1->Get(address, *file);
      file.reset();
      IdHTTP1->Disconnect();
      fetched = true;
    } catch (...) {
      try {
        IdHTTP1->Disconnect();
      } catch (...) {
      }
    }
  }
  file.reset();
  if (!fetched) std::filesystem::remove(localPath, ignored);
  return fetched;
}

void TfrmMain::CheckForUpdates(bool quiet) {
  const std::string localPath = FProgramFolder + std::string(kUpdateFileName);
  if (DownloadFile(UpdateDescriptionAddress(FEndpoints.UpdateBaseURL), localPath) && FileExists(localPath)) {
    const std::string version = platform::ReadIniValue(localPath, kUpdateSection, kUpdateVersionKey);
    if (IsNewerVersion(version, AppVersion)) {
      if (msgMain->Execute(UpdateQuestionText(version), TMsgKind::Information, TMsgButtons::OkCancel) !=
          TMsgResult::Ok)
        return;
      const std::string updater = FProgramFolder + std::string(kUpdaterFileName);
      if (!FileExists(updater)) {
        msgMain->Execute(kUpdaterMissingWarning, TMsgKind::Warning, TMsgButtons::Ok);
        return;
      }
      if (msgMain->Execute(UpdateCloseQuestionText(), TMsgKind::Information, TMsgButtons::OkCancel) ==
          TMsgResult::Cancel)
        return;
      // Whether the updater started is not checked: it takes over from here.
      platform::StartDetached(updater, UpdaterArguments(FEndpoints.UpdateBaseURL, AppVersion));
      close();
      return;
    }
  }
  if (!quiet) msgMain->Execute(kNoUpdatesNotice, TMsgKind::Information, TMsgButtons::Ok);
}

}  // namespace halvane
