// The main window's search run, results list, news and updates: short
// forwards of the classic handlers to TSearchRun and TPageFetcher, and the
// TSearchRunView the run sees.
#include "app/TfrmMain.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <optional>

#include "app/AppVersion.h"
#include "branding/BrandSettings.h"
#include "search/CsvExport.h"
#include "search/Harvest.h"
#include "platform/IniFile.h"
#include "news/NewsProtocol.h"
#include "platform/Process.h"
#include "search/ResultsList.h"
#include "toolkit/TBalloonHint.h"
#include "toolkit/TMessageBox.h"
#include "net/TMultipartBody.h"
#include "app/TNewsClient.h"
#include "app/TResultsFilter.h"
#include "app/TResultsModel.h"
#include "toolkit/TSaveDialog.h"
#include "toolkit/TShell.h"
#include "toolkit/TUiThread.h"
#include "toolkit/TextConvert.h"
#include "app/TfrmNews.h"
#include "news/UpdateCheck.h"
#include "base/Files.h"
#include "classicrun/TPageFetcher.h"
#include "classicrun/TSearchRun.h"
#include "liverun/LiveOutput.h"

namespace halvane {
namespace {

QString Caption(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

void TfrmMain::SetSortingByHeader(bool on) { lvwItems->horizontalHeader()->setSectionsClickable(on); }

void TfrmMain::btnSearchClick() {
  if (edtKeyword->text().isEmpty()) {
    msgMain->Execute(kKeywordMissingNotice, TMsgKind::Information, TMsgButtons::Ok);
    return;
  }
  if (LiveMode()) {
    LiveSearchClick();
    return;
  }
  if (btnSearch->text() == Caption(kSearchCaption)) {
    // A stopped run that has not yet returned reads "Search" already; a
    // second run must not start inside it, so the click is ignored.
    if (FRunActive || FRunWaiting) return;
    if (FPages->HeldByThisThread()) {
      // The click came from inside another exchange of this thread (the
      // start-up news or update check): the run starts from the event loop
      // once that exchange has returned, and Stop meanwhile cancels it.
      FRunWaiting = true;
      btnSearch->setText(Caption(kStopCaption));
      FPages->WhenClientFree([this] { StartWaitingRun(); });
      return;
    }
    RunSearch();
    return;
  }
  if (FRunWaiting) {
    FRunWaiting = false;
    btnSearch->setText(Caption(kSearchCaption));
    return;
  }
  StopRequested = true;
  btnSearch->setText(Caption(kSearchCaption));
  SetSortingByHeader(true);
  TUiThread::PumpEvents();
}

void TfrmMain::StartWaitingRun() {
  if (!FRunWaiting || FClosing) return;
  FRunWaiting = false;
  RunSearch();
}

void TfrmMain::RunSearch() {
  FRunActive = true;
  lvwItemsModel->Clear();
  lvwItemsModel->SetColumns(TResultColumns::Classic);
  stpItems->setText(QString());
  SetSortingByHeader(false);
  StopRequested = false;
  btnSearch->setText(Caption(kStopCaption));
  try {
    FSearchRun->Run();
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
}

void TfrmMain::HarvestResults() { FSearchRun->HarvestResults(); }

void TfrmMain::AnalyseItems() { FSearchRun->AnalyseItems(); }

void TfrmMain::AnalyseItem(const std::string& address) { FSearchRun->AnalyseItem(address); }

bool TfrmMain::PageRankGetRank(const std::string& Page, std::string& Rank, std::uint64_t queryTag) {
  return FSearchRun->PageRankGetRank(Page, Rank, queryTag);
}

void TfrmMain::ConnectResultsList() {
  FSearchRun = std::make_unique<TSearchRun>(static_cast<TSearchRunView&>(*this), *FPages, FEndpoints, StopRequested);
  connect(btnSelectAll, &QPushButton::clicked, this, &TfrmMain::btnSelectAllClick);
  connect(bsSkinButton2, &QPushButton::clicked, this, &TfrmMain::bsSkinButton2Click);
  connect(btnDelSelected, &QPushButton::clicked, this, &TfrmMain::btnDelSelectedClick);
  connect(btnDelAll, &QPushButton::clicked, this, &TfrmMain::btnDelAllClick);
  connect(btnSave, &QPushButton::clicked, this, &TfrmMain::btnSaveClick);
  connect(lvwItems->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfrmMain::lvwItemsColumnClick);
  connect(lvwItems, &QTableView::doubleClicked, this, [this] { lvwItemsDblClick(); });
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
    // The live list shows the model through its filter.
    const QModelIndex shown = lvwItems->model() == lvwItemsModel ? rows.front() : lvwItemsFilter->mapToSource(rows.front());
    const auto row = static_cast<std::size_t>(shown.row());
    if (!shown.isValid() || row >= lvwItemsModel->Count()) return;
    TShell::OpenInBrowser(lvwItemsModel->AddressAt(row));
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
    const std::string path = CsvPathForChosenPath(*chosen);
    if (lvwItemsModel->Columns() == TResultColumns::Live) {
      liverun::TLiveTable table;
      table.Results = lvwItemsModel->LiveResults();
      WriteCsvFile(path, liverun::LiveCsvLines(table));
      FUnsavedRows = 0;
    } else {
      WriteCsvFile(path, BuildCsvLines(ResultColumnCaptions(), lvwItemsModel->Items()));
    }
  } catch (...) {
  }
}

bool TfrmMain::FetchPage(const std::string& address, std::string& text) { return FPages->FetchPage(address, text); }

void TfrmMain::IdHTTP1WorkBegin(TWorkMode mode, std::int64_t expected) { FPages->WorkBegin(mode, expected); }

void TfrmMain::IdHTTP1Work(TWorkMode mode, std::int64_t count) { FPages->Work(mode, count); }

void TfrmMain::IdHTTP1WorkEnd(TWorkMode mode) { FPages->WorkEnd(mode); }

bool TfrmMain::FetchInProgress() const { return FPages->Fetching(); }

TNewsClient TfrmMain::NewsClient() {
  return TNewsClient(
      FSettings, [this](const std::string& address, TMultipartBody& body) { return PostNewsForm(address, body); },
      [this](const std::string& text) { msgMain->Execute(text, TMsgKind::Warning, TMsgButtons::Ok); });
}

std::string TfrmMain::PostNewsForm(const std::string& address, TMultipartBody& body) {
  return FPages->PostForm(address, body);
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
  // Inside another exchange of this thread: asked once it has returned.
  if (FPages->HeldByThisThread()) {
    FPages->WhenClientFree([this] {
      if (!FClosing) btnNewsClick();
    });
    return;
  }
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

void TfrmMain::btnUpdateClick() {
  // Inside another exchange of this thread: checked once it has returned.
  if (FPages->HeldByThisThread()) {
    FPages->WhenClientFree([this] {
      if (!FClosing) CheckForUpdates(false);
    });
    return;
  }
  CheckForUpdates(false);
}

bool TfrmMain::DownloadFile(const std::string& address, const std::string& localPath) {
  return FPages->DownloadFile(address, localPath);
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

std::string TfrmMain::KeywordText() const { return FromQString(edtKeyword->text()); }

std::string TfrmMain::DomainText() const { return FromQString(edtDomain->text()); }

int TfrmMain::DepthIndex() const { return cbxItems->currentIndex(); }

THarvestedUrls* TfrmMain::HarvestList() { return HarvestedUrls.get(); }

void TfrmMain::ShowStatus(std::string_view text) { MainStatusPanel->setText(ToQString(text)); }

void TfrmMain::ShowCount(std::string_view text) {
  stpItems->setText(ToQString(text));
  // While the filter hides rows, the panel says how many are shown.
  if (LiveMode() && lvwItemsFilter->Filter().Active()) ShowFilteredCount();
}

std::uint64_t TfrmMain::AddRow(TResultItem item) { return lvwItemsModel->Add(std::move(item)); }

void TfrmMain::SetCell(std::uint64_t row, int column, const std::string& text) {
  lvwItemsModel->SetCell(row, column, text);
}

std::size_t TfrmMain::RowCount() const { return lvwItemsModel->Count(); }

void TfrmMain::PumpEvents() { TUiThread::PumpEvents(); }

void TfrmMain::WaitForEvents() {
  // A worker's answer posts an event; the timer bounds the wait so a Stop
  // is seen even when nothing else arrives.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(20);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TfrmMain::Post(std::function<void()> work) { UiThread->Post(std::move(work)); }

void TfrmMain::PostLater(std::function<void()> work) { UiThread->PostLater(std::move(work)); }

}  // namespace halvane
