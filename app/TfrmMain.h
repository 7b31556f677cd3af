#pragma once
// The main window: owns everything that lives for the run, applies the
// branding at start-up, routes every control's event, and ends the process
// when it closes. Page retrieval (TPageFetcher) and the search run
// (TSearchRun) are objects of their own; the window forwards the classic
// handlers to them and shows a run through the TSearchRunView interface.
// Its sources: TfrmMain.cpp (start-up, branding, close), TfrmMainControls.cpp
// (the controls), TfrmMainRun.cpp (search run, results list, news, updates),
// TfrmMainLive.cpp, TfrmMainWorkbench.cpp and TfrmMainStore.cpp (live mode).
// Controls and internals are private: tests find a control by its object
// name (its field's name) and reach the rest through the friend
// TfrmMainProbe.
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "branding/TBrandSettings.h"
#include "search/THarvestedUrls.h"
#include "app/TProgramServices.h"
#include "app/TLiveSearchView.h"
#include "search/TSortState.h"
#include "classicrun/TSearchRunView.h"
#include "sources/TSources.h"
#include "classicrun/TServiceEndpoints.h"
#include "liverun/TLiveFilter.h"
#include "liverun/TLiveResult.h"

namespace halvane::livesetup {
class TStoreTasks;
}
namespace halvane::store {
class TStore;
}

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QShortcut;
class QTabBar;
class QTableView;
class QTimer;
class QToolButton;

namespace halvane {

class TAlignLayout;
class TBalloonHint;
class TBannerView;
class TGauge;
enum class TWorkMode;
class THtmlView;
class TLinkLabel;
class TMessageBox;
class TMultipartBody;
class TNewsClient;
class TPageControl;
class TPageFetcher;
class TResultsModel;
class TSaveDialog;
class TSearchRun;
class TUiThread;

class TLiveFilterBar;
class TLiveSearch;
class TResultsFilter;
class TfrmPagesWithoutRow;

class TfrmMain : public QWidget, private TSearchRunView, private TLiveSearchView {
  Q_OBJECT

 public:
  // programFolder ends in a path separator; every installation file is
  // looked for there.
  TfrmMain(std::string programFolder, TServiceEndpoints endpoints, TProgramServices services,
           QWidget* parent = nullptr);
  ~TfrmMain() override;

  const std::string& ProgramFolder() const { return FProgramFolder; }
  const TServiceEndpoints& Endpoints() const { return FEndpoints; }
  const TBrandSettings& BrandSettings() const { return FSettings; }
  // True when a settings file was found at start-up.
  bool BrandingApplied() const { return FBrandingApplied; }

  // The sources file's choices and where it lives; Search runs a live run
  // when its engine is not the classic one.
  void UseSources(const sources::TSources& sources, std::string path);
  const sources::TSources& Sources() const { return FSources; }
  bool LiveMode() const { return FSources.LiveMode(); }
  bool LiveRunActive() const;
  // The live run's lines of the about text ("" in the classic edition).
  std::string LiveAboutText() const;

  // Event handlers.
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormClose();
  void FormDestroy();
  void ApplyBranding();
  void bsSkinButton1Click();
  void imgBannerClick();
  void gifBannerClick();
  void btnMakeMoneyClick();
  void btnHelpClick();
  void btnAboutClick();
  void btnSourcesClick();
  // Live mode: the last run's harvested addresses without a row, and why.
  void btnPagesWithoutRowClick();
  // Live mode's workbench (TfrmMainWorkbench.cpp, TfrmMainStore.cpp): the
  // list's two views, the filter bar, the rows' menu and keys, the store's
  // actions.
  void tabViewsCurrentChanged(int index);
  void pnlFilterChanged(const liverun::TLiveFilter& filter);
  void lvwItemsContextMenu(const QPoint& position);
  void actOpenClick();
  void actCopyAddressClick();
  void actCopyRowClick();
  void actBlacklistDomainClick();
  void actCommentedClick();
  // Ctrl+C and Delete on the live list: the highlighted rows.
  void CopySelectedRows();
  void DeleteSelectedRows();
  void btnRecheckClick();
  // History: the rows of the pages judged in the last days (0: ever), from
  // the store, without searching.
  void LoadHistory(int days);
  void Timer1Timer();

  // News and updates.
  void btnNewsClick();
  void btnUpdateClick();
  bool GetLastNews(const std::string& publisherId, const std::string& productCode,
                   const std::string& productTypeCode, const std::string& newsTarget,
                   std::vector<std::string>& list);
  bool GetLastNewsCode(const std::string& publisherId, const std::string& productCode,
                       const std::string& productTypeCode, const std::string& newsTarget, bool quiet,
                       std::string& latestId, std::string& title);
  void ShowNewsHint(const std::string& text);
  void CheckForUpdates(bool quiet);
  bool DownloadFile(const std::string& address, const std::string& localPath);
  // The edition's news requests over IdHTTP1, warnings through msgMain.
  TNewsClient NewsClient();
  // Posts a news form through IdHTTP1 as one user of the client; the
  // interface thread waits for its turn while it keeps handling events.
  // Throws when the request fails or the client is held by this thread.
  std::string PostNewsForm(const std::string& address, TMultipartBody& body);

  // The search run.
  void btnSearchClick();
  // Live mode: Enter in the keyword box starts a search (the classic
  // edition's box takes no Enter).
  void edtKeywordReturnPressed();
  void HarvestResults();
  void AnalyseItems();
  // One harvested address; the item analysis fills it in.
  void AnalyseItem(const std::string& address);
  // PageRank's rank handler, on the component's worker thread: fetches the
  // query address and hands the answer to the run's RankText under the
  // query's tag.
  bool PageRankGetRank(const std::string& Page, std::string& Rank, std::uint64_t queryTag);

  // The results list and its export.
  void btnSelectAllClick();
  void bsSkinButton2Click();
  void btnDelSelectedClick();
  void btnDelAllClick();
  void lvwItemsColumnClick(int column);
  void lvwItemsDblClick();
  void btnSaveClick();
  void SaveResultsToCsv();

  // Fetches one page as text through IdHTTP1 and test.html, with status
  // texts, gauge and stop. Usable from the interface thread and from a
  // worker thread; one user at a time, the interface thread pumping events
  // while it waits for its turn. Throws EStreamError when test.html cannot
  // be created.
  bool FetchPage(const std::string& address, std::string& text);
  void IdHTTP1WorkBegin(TWorkMode mode, std::int64_t expected);
  void IdHTTP1Work(TWorkMode mode, std::int64_t count);
  void IdHTTP1WorkEnd(TWorkMode mode);

  bool FetchInProgress() const;
  bool RunActive() const { return FRunActive; }
  // A Search click waits for the shared client (Search reads "Stop").
  bool RunWaiting() const { return FRunWaiting; }

  // How often Timer1 has been armed and has fired in this run.
  int Timer1Armings() const { return FTimer1Armings; }
  int Timer1Firings() const { return FTimer1Firings; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static constexpr int kClientWidth = 824;
  // The live list's two views (tabViews).
  static constexpr int kResultsTab = 0;
  static constexpr int kPagesTab = 1;
  static constexpr int kClientHeight = 605;

  void CreateControls();
  void CreateWelcomePage();
  void CreateSearchPage();
  // Live mode's controls, hidden until live mode is on.
  void CreateWorkbench(TAlignLayout* layout);
  void ArmTimer1();
  void ShowBanner();
  void SetBannerPanelHeight(int height);
  void CreatePageRetrieval();
  void SetSortingByHeader(bool on);
  // Live mode's pieces shown or hidden, the list's model and keys set.
  void ShowWorkbench(bool on);
  // The model rows of the live list's highlighted rows.
  std::vector<std::size_t> SelectedModelRows() const;
  // "3 of 12 rows" while the filter hides some.
  void ShowFilteredCount();
  // Runs a task on the store off the interface thread; its message comes
  // back to the status panel.
  void RunStoreTask(std::function<std::string(store::TStore&)> task);
  // Opens the store the sources file chooses, on whichever thread calls it.
  std::function<std::unique_ptr<store::TStore>(std::string& error)> StoreOpener() const;
  // A new search's rows: false when the user keeps the list as it is;
  // append tells whether they go below the rows there.
  bool MayReplaceRows(bool& append);
  void ShowHistory(const std::vector<liverun::TLiveResult>& rows, const std::string& message);
  void ConnectResultsList();
  void RunSearch();
  void StartWaitingRun();
  void DeleteRows(bool allRows);

  // TSearchRunView: how the search run reaches this window.
  std::string KeywordText() const override;
  std::string DomainText() const override;
  int DepthIndex() const override;
  THarvestedUrls* HarvestList() override;
  void ShowStatus(std::string_view text) override;
  void ShowCount(std::string_view text) override;
  std::uint64_t AddRow(TResultItem item) override;
  void SetCell(std::uint64_t row, int column, const std::string& text) override;
  std::size_t RowCount() const override;
  void PumpEvents() override;
  void WaitForEvents() override;
  void Post(std::function<void()> work) override;
  void PostLater(std::function<void()> work) override;

  // TLiveSearchView: how a live run reaches this window (ShowStatus,
  // ShowCount and RowCount serve both runs).
  std::uint64_t AddLiveRow(const liverun::TLiveResult& result) override;
  void UpdateLiveRow(std::uint64_t row, const liverun::TLiveResult& result) override;
  void AddPageWithoutRow(const liverun::TPageOutcome& outcome) override;
  void ShowGauge(std::size_t done, std::size_t total) override;
  void LiveRunEnded(const liverun::TLiveRunSummary& summary) override;
  void LiveSearchClick();
  void StopLiveSearch();

  // The controls and the components keep their classic names. Each control
  // and each QObject below has that name as its object name, which is how
  // tests find them; the rest is reached through TfrmMainProbe (tests only).
  friend class TfrmMainProbe;

  // The page control's pages, welcome page first while it exists.
  TPageControl* pgcPrinc = nullptr;
  QWidget* stsWelcome = nullptr;
  THtmlView* prfWelcome = nullptr;
  QFrame* bsSkinPanel14 = nullptr;
  QPushButton* bsSkinButton1 = nullptr;
  QWidget* stsMain = nullptr;
  QFrame* bsSkinPanel4 = nullptr;
  QPushButton* btnMakeMoney = nullptr;
  QPushButton* btnAbout = nullptr;
  QPushButton* btnSources = nullptr;
  QPushButton* btnPagesWithoutRow = nullptr;  // live mode only
  TfrmPagesWithoutRow* frmPagesWithoutRow = nullptr;  // the list's second view
  QTabBar* tabViews = nullptr;                        // live mode only
  TLiveFilterBar* pnlFilter = nullptr;                // live mode only
  TResultsFilter* lvwItemsFilter = nullptr;           // the live list's view of the model
  QMenu* mnuRow = nullptr;
  QShortcut* FCopyKey = nullptr;
  QShortcut* FDeleteKey = nullptr;
  QPushButton* btnRecheck = nullptr;  // live mode only
  QPushButton* btnHistory = nullptr;  // live mode only
  QToolButton* btnNews = nullptr;
  QToolButton* bsSkinSpeedButton1 = nullptr;
  QToolButton* bsSkinSpeedButton2 = nullptr;
  QFrame* panBanner = nullptr;
  TBannerView* imgBanner = nullptr;
  TBannerView* gifBanner = nullptr;
  QFrame* bsSkinPanel1 = nullptr;
  QLabel* bsSkinStdLabel1 = nullptr;
  QLineEdit* edtKeyword = nullptr;
  QPushButton* btnSearch = nullptr;
  QPushButton* btnSave = nullptr;
  QLabel* bsSkinStdLabel2 = nullptr;
  QLineEdit* edtDomain = nullptr;
  QLabel* bsSkinStdLabel3 = nullptr;
  QComboBox* cbxItems = nullptr;
  QTableView* lvwItems = nullptr;
  TResultsModel* lvwItemsModel = nullptr;
  QScrollBar* bsSkinScrollBar2 = nullptr;
  QScrollBar* bsSkinScrollBar1 = nullptr;
  QFrame* pan = nullptr;
  QPushButton* btnSelectAll = nullptr;
  QPushButton* bsSkinButton2 = nullptr;
  QPushButton* btnDelSelected = nullptr;
  QPushButton* btnDelAll = nullptr;
  QFrame* panLinks = nullptr;
  TLinkLabel* lblLink1URL = nullptr;
  TLinkLabel* lblLink2URL = nullptr;
  QFrame* bsSkinStatusBar1 = nullptr;
  QLabel* MainStatusPanel = nullptr;
  QLabel* stpItems = nullptr;
  TGauge* MainGauge = nullptr;

  TMessageBox* msgMain = nullptr;
  TSaveDialog* bsSkinSaveDialog1 = nullptr;
  TBalloonHint* BalloonHint = nullptr;
  TUiThread* UiThread = nullptr;
  QTimer* Timer1 = nullptr;

  // Written by the interface thread only; read by the worker as well.
  std::atomic<bool> StopRequested{false};
  std::unique_ptr<THarvestedUrls> HarvestedUrls;
  std::unique_ptr<std::vector<std::string>> NewsList;
  // SortColumn and SortAscending of the results list.
  TSortState Sort;

  std::string FProgramFolder;
  TServiceEndpoints FEndpoints;
  TProgramServices FServices;
  TBrandSettings FSettings;
  bool FBrandingApplied = false;
  bool FShown = false;
  bool FClosing = false;
  int FTimer1Armings = 0;
  int FTimer1Firings = 0;
  TAlignLayout* FSearchLayout = nullptr;
  bool FRunActive = false;
  bool FRunWaiting = false;
  std::unique_ptr<THarvestedUrls> FRetiredUrls;
  std::unique_ptr<std::vector<std::string>> FRetiredNews;
  std::unique_ptr<TPageFetcher> FPages;
  std::unique_ptr<TSearchRun> FSearchRun;
  sources::TSources FSources;
  std::string FSourcesPath;
  std::unique_ptr<TLiveSearch> FLiveSearch;
  std::unique_ptr<livesetup::TStoreTasks> FStoreTasks;
  // Live rows added since the list was last saved, cleared or loaded.
  std::size_t FUnsavedRows = 0;
};

}  // namespace halvane
