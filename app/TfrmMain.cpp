#include "app/TfrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/AppVersion.h"
#include "branding/BrandSettings.h"
#include "platform/CodePage.h"
#include "toolkit/FormPlacement.h"
#include "news/NewsProtocol.h"
#include "toolkit/TAlignLayout.h"
#include "toolkit/TBalloonHint.h"
#include "toolkit/TBannerView.h"
#include "toolkit/TGauge.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TLinkLabel.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TSaveDialog.h"
#include "toolkit/TShell.h"
#include "toolkit/TSkin.h"
#include "toolkit/TUiThread.h"
#include "toolkit/TextConvert.h"
#include "app/TLiveSearch.h"
#include "livesetup/TStoreTasks.h"
#include "app/TfrmAbout.h"
#include "base/Files.h"
#include "classicrun/TPageFetcher.h"
#include "classicrun/TSearchRun.h"
#include "net/THttpClient.h"

namespace halvane {
namespace {

// Banner pictures beyond this size are not decoded.
constexpr std::uintmax_t kMaxBannerFileBytes = 16u << 20;

// The file-name part of a settings value that may carry a folder.
std::string FileNamePart(const std::string& name) {
  const std::size_t cut = name.find_last_of("\\/:");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}


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
  UiThread->setObjectName(QStringLiteral("UiThread"));
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
  CreatePageRetrieval();
  CreateControls();
  connect(btnNews, &QToolButton::clicked, this, &TfrmMain::btnNewsClick);
  connect(bsSkinSpeedButton1, &QToolButton::clicked, this, &TfrmMain::btnUpdateClick);
  ConnectResultsList();
  resize(kClientWidth, kClientHeight);
  CentreOnScreen(this, QSize(kClientWidth, kClientHeight));
  FormCreate();
}

TfrmMain::~TfrmMain() {
  // Every PageRank worker finishes before the window goes.
  FSearchRun.reset();
  FormDestroy();
}

void TfrmMain::CreatePageRetrieval() {
  TPageFetcherHooks hooks;
  hooks.Post = [this](std::function<void()> work) { UiThread->Post(std::move(work)); };
  hooks.PostLater = [this](std::function<void()> work) { UiThread->PostLater(std::move(work)); };
  hooks.ShowStatus = [this](std::string_view text) { MainStatusPanel->setText(ToQString(text)); };
  hooks.ShowGauge = [this](std::int64_t maximum, std::int64_t value, bool setMaximum) {
    if (setMaximum) MainGauge->SetMaxValue(maximum);
    MainGauge->SetProgress(value < 0 ? MainGauge->MaxValue() : value);
  };
  hooks.PumpEvents = [] { TUiThread::PumpEvents(); };
  hooks.InterfaceThread = UiThread->InterfaceThreadId();
  FPages = std::make_unique<TPageFetcher>(FProgramFolder, std::make_unique<THttpClient>(), std::move(hooks),
                                          StopRequested);
  FPages->SetLimits(FEndpoints.Limits);
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
  TfrmAbout about(FSettings, this, LiveAboutText());
  about.exec();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfrmMain::FormClose() {
  if (FClosing) return;
  FClosing = true;
  FPages->Disconnect();
  StopRequested = true;
  StopLiveSearch();
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
