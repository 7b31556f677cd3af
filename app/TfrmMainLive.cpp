// The main window's live run: the Search button with live mode on, the
// Sources button, and the TLiveSearchView the run sees.
#include "app/TfrmMain.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>

#include "search/Harvest.h"
#include "search/ItemAnalysis.h"
#include "toolkit/TGauge.h"
#include "app/TLiveSearch.h"
#include "app/TResultsModel.h"
#include "toolkit/TextConvert.h"
#include "app/TfrmPagesWithoutRow.h"
#include "app/TfrmSources.h"
#include "livesetup/LiveRunParts.h"
#include "tables/TTrancoListId.h"

namespace halvane {

void TfrmMain::UseSources(const sources::TSources& sources, std::string path) {
  if (LiveRunActive()) return;
  FLiveSearch.reset();
  FSources = sources;
  FSourcesPath = std::move(path);
  btnPagesWithoutRow->setVisible(LiveMode());
  // An empty list shows at once the captions of the run that will fill it.
  if (lvwItemsModel->Count() == 0) {
    lvwItemsModel->SetColumns(LiveMode() ? TResultColumns::Live : TResultColumns::Classic);
  }
  ShowWorkbench(LiveMode());
}

void TfrmMain::edtKeywordReturnPressed() {
  if (LiveMode() && !LiveRunActive()) btnSearchClick();
}

bool TfrmMain::LiveRunActive() const { return FLiveSearch && FLiveSearch->Active(); }

std::string TfrmMain::LiveAboutText() const {
  if (!LiveMode()) return {};
  std::string text = "Live mode sources:";
  for (const std::string& line : livesetup::DescribeSources(FSources)) text += "\n" + line;
  if (FSources.Ranking == sources::TRankingSource::Tranco) {
    text += "\nTraffic ranks from the Tranco list: " + tables::TTrancoListId::CitationFor(FSources.TrancoFile);
  }
  return text;
}

void TfrmMain::LiveSearchClick() {
  if (!FLiveSearch) {
    FLiveSearch = std::make_unique<TLiveSearch>(
        [sources = FSources](std::string& error) { return livesetup::MakeRememberingRunParts(sources, error); },
        static_cast<TLiveSearchView&>(*this));
  }
  switch (FLiveSearch->State()) {
    case TLiveSearch::TState::Stopping:
      return;
    case TLiveSearch::TState::Running:
      StopLiveSearch();
      btnSearch->setText(ToQString(kSearchCaption));
      SetSortingByHeader(true);
      return;
    case TLiveSearch::TState::Idle:
      break;
  }
  bool append = false;
  if (!MayReplaceRows(append)) return;
  if (!append) {
    lvwItemsModel->Clear();
    FUnsavedRows = 0;
  }
  tabViews->setCurrentIndex(0);
  frmPagesWithoutRow->ShowPages({});
  frmPagesWithoutRow->ShowSourceProblems({});
  lvwItemsModel->SetColumns(TResultColumns::Live);
  stpItems->setText(QString());
  SetSortingByHeader(false);
  MainGauge->SetMaxValue(0);
  MainGauge->SetProgress(0);
  btnSearch->setText(ToQString(kStopCaption));
  FLiveSearch->Start({KeywordText(), DomainFromEditText(DomainText()), DepthIndex() + 1, {}});
}

void TfrmMain::StopLiveSearch() {
  if (FLiveSearch) FLiveSearch->Stop();
}

std::uint64_t TfrmMain::AddLiveRow(const liverun::TLiveResult& result) {
  ++FUnsavedRows;
  return lvwItemsModel->AddLive(result);
}

void TfrmMain::UpdateLiveRow(std::uint64_t row, const liverun::TLiveResult& result) {
  lvwItemsModel->UpdateLive(row, result);
}

void TfrmMain::AddPageWithoutRow(const liverun::TPageOutcome& outcome) { frmPagesWithoutRow->AddPage(outcome); }

void TfrmMain::ShowGauge(std::size_t done, std::size_t total) {
  MainGauge->SetMaxValue(static_cast<long long>(total));
  MainGauge->SetProgress(static_cast<long long>(done));
}

void TfrmMain::LiveRunEnded(const liverun::TLiveRunSummary& summary) {
  btnSearch->setText(ToQString(kSearchCaption));
  SetSortingByHeader(true);
  if (FLiveSearch) frmPagesWithoutRow->ShowPages(FLiveSearch->PagesWithoutRow());
  std::string problems = summary.SourceError;
  if (!summary.Note.empty()) problems += (problems.empty() ? "" : "\n") + summary.Note;
  frmPagesWithoutRow->ShowSourceProblems(problems);
  // A source that failed is worth a look; a note alone is not.
  tabViews->setTabText(kPagesTab, summary.SourceError.empty() ? QStringLiteral("Pages without a row")
                                                              : QStringLiteral("Pages without a row (problems)"));
  ShowFilteredCount();
}

void TfrmMain::btnSourcesClick() {
  if (LiveRunActive()) return;
  TfrmSources dialog(FSources, FSourcesPath, TfrmSources::ProductionSeams(), this);
  if (dialog.exec() == QDialog::Accepted) UseSources(dialog.Sources(), FSourcesPath);
}

}  // namespace halvane
