// The main window in live mode as a workbench: the list's two views (rows,
// pages without a row), the filter bar, the rows' menu and keys, and the
// store's actions (blacklist, "I commented here", history). Only live mode
// shows any of it; the classic window is untouched.
#include "app/TfrmMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTableView>

#include <ctime>
#include <tuple>

#include "app/TLiveFilterBar.h"
#include "app/TResultsFilter.h"
#include "app/TResultsModel.h"
#include "app/TfrmLinkCheck.h"
#include "app/TfrmPagesWithoutRow.h"
#include "live/RegistrableDomain.h"
#include "liverun/LiveColumns.h"
#include "livesetup/ChosenStore.h"
#include "livesetup/LiveRunParts.h"
#include "livesetup/TStoreMemory.h"
#include "livesetup/TStoreTasks.h"
#include "search/Harvest.h"
#include "search/ItemAnalysis.h"
#include "search/ResultsList.h"
#include "store/TStoreError.h"
#include "toolkit/TAlignLayout.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TShell.h"
#include "toolkit/TextConvert.h"

namespace halvane {
namespace {

constexpr int kResultsTab = 0;
constexpr int kPagesTab = 1;

// The live list's column widths; the address takes what is left.
constexpr int kLiveWidths[liverun::kLiveColumnCount] = {70, 0, 75, 100, 95, 130, 90};

const char* const kStoreOff = "The store is off ([store] use = no in the sources file): nothing is remembered";

// One line of tab-separated cells, as spreadsheets paste them.
std::string RowText(const liverun::TLiveResult& result) {
  std::string line;
  for (int column = 0; column < liverun::kLiveColumnCount; ++column) {
    if (column > 0) line += '\t';
    line += liverun::LiveCellText(result, column);
  }
  return line;
}

}  // namespace

void TfrmMain::CreateWorkbench(TAlignLayout* layout) {
  tabViews = new QTabBar();
  tabViews->setObjectName(QStringLiteral("tabViews"));
  tabViews->addTab(QStringLiteral("Results"));
  tabViews->addTab(QStringLiteral("Pages without a row"));
  tabViews->setDrawBase(false);
  tabViews->hide();
  layout->AddControl(tabViews, QRect(0, 176, kClientWidth, tabViews->sizeHint().height()), TAlign::Top);
  connect(tabViews, &QTabBar::currentChanged, this, &TfrmMain::tabViewsCurrentChanged);

  pnlFilter = new TLiveFilterBar();
  pnlFilter->hide();
  layout->AddControl(pnlFilter, QRect(0, 176, kClientWidth, pnlFilter->sizeHint().height()), TAlign::Top);
  connect(pnlFilter, &TLiveFilterBar::FilterChanged, this, &TfrmMain::pnlFilterChanged);

  frmPagesWithoutRow = new TfrmPagesWithoutRow();
  frmPagesWithoutRow->hide();
  layout->AddControl(frmPagesWithoutRow, lvwItems->geometry(), TAlign::Client);

  lvwItemsFilter = new TResultsFilter(*lvwItemsModel, lvwItems);
  lvwItemsFilter->setObjectName(QStringLiteral("lvwItemsFilter"));
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
    connect(lvwItemsFilter, signal, this, [this] { ShowFilteredCount(); });
  }
  connect(lvwItems, &QWidget::customContextMenuRequested, this, &TfrmMain::lvwItemsContextMenu);

  mnuRow = new QMenu(this);
  mnuRow->setObjectName(QStringLiteral("mnuRow"));
  const auto addAction = [this](const char* name, const char* caption, void (TfrmMain::*handler)()) {
    QAction* action = mnuRow->addAction(QLatin1String(caption));
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
  };
  addAction("actOpen", "Open in browser", &TfrmMain::actOpenClick);
  addAction("actCopyAddress", "Copy address", &TfrmMain::actCopyAddressClick);
  addAction("actCopyRow", "Copy row", &TfrmMain::actCopyRowClick);
  mnuRow->addSeparator();
  addAction("actBlacklistDomain", "Add domain to blacklist", &TfrmMain::actBlacklistDomainClick);
  addAction("actCommented", "I commented here", &TfrmMain::actCommentedClick);

  FCopyKey = new QShortcut(QKeySequence::Copy, lvwItems, this, &TfrmMain::CopySelectedRows, Qt::WidgetShortcut);
  FDeleteKey = new QShortcut(QKeySequence::Delete, lvwItems, this, &TfrmMain::DeleteSelectedRows, Qt::WidgetShortcut);
  FCopyKey->setEnabled(false);
  FDeleteKey->setEnabled(false);

  auto* listButtons = static_cast<TAlignLayout*>(pan->layout());
  btnRecheck = new QPushButton(QStringLiteral("Re-check Links"));
  btnRecheck->setObjectName(QStringLiteral("btnRecheck"));
  btnRecheck->setAutoDefault(false);
  btnRecheck->setToolTip(QStringLiteral("Fetch the pages where you commented and see whether your links are still there"));
  btnRecheck->hide();
  listButtons->AddControl(btnRecheck, QRect(440, 7, 110, 20));
  connect(btnRecheck, &QPushButton::clicked, this, &TfrmMain::btnRecheckClick);
  btnHistory = new QPushButton(QStringLiteral("History"));
  btnHistory->setObjectName(QStringLiteral("btnHistory"));
  btnHistory->setAutoDefault(false);
  btnHistory->setToolTip(QStringLiteral("Show the rows of pages judged earlier, from the store"));
  btnHistory->hide();
  listButtons->AddControl(btnHistory, QRect(556, 7, 110, 20));
  auto* history = new QMenu(btnHistory);
  history->setObjectName(QStringLiteral("mnuHistory"));
  for (const auto& [name, caption, days] : {std::tuple{"actHistoryWeek", "Last 7 days", 7},
                                            std::tuple{"actHistoryMonth", "Last 30 days", 30},
                                            std::tuple{"actHistoryYear", "Last year", 365},
                                            std::tuple{"actHistoryAll", "Everything", 0}}) {
    QAction* action = history->addAction(QLatin1String(caption));
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, [this, days = days] { LoadHistory(days); });
  }
  btnHistory->setMenu(history);
}

void TfrmMain::ShowWorkbench(bool on) {
  tabViews->setVisible(on);
  pnlFilter->setVisible(on);
  btnRecheck->setVisible(on);
  btnHistory->setVisible(on);
  FCopyKey->setEnabled(on);
  FDeleteKey->setEnabled(on);
  if (!on) tabViews->setCurrentIndex(kResultsTab);
  tabViewsCurrentChanged(tabViews->currentIndex());
  QAbstractItemModel* shown = on ? static_cast<QAbstractItemModel*>(lvwItemsFilter) : lvwItemsModel;
  if (lvwItems->model() != shown) {
    QItemSelectionModel* old = lvwItems->selectionModel();
    lvwItems->setModel(shown);
    delete old;
  }
  lvwItems->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  lvwItems->setContextMenuPolicy(on ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
  if (on) {
    QHeaderView* header = lvwItems->horizontalHeader();
    for (int column = 0; column < liverun::kLiveColumnCount; ++column) {
      if (kLiveWidths[column] == 0) {
        header->setSectionResizeMode(column, QHeaderView::Stretch);
      } else {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        lvwItems->setColumnWidth(column, kLiveWidths[column]);
      }
    }
  }
  // The list takes its place at once, not at the next layout pass.
  FSearchLayout->activate();
  FStoreTasks.reset();
  if (on) {
    FStoreTasks = std::make_unique<livesetup::TStoreTasks>(
        [choice = FSources.Store](std::string& error) { return livesetup::OpenChosenStore(choice, error); });
  }
}

void TfrmMain::tabViewsCurrentChanged(int index) {
  const bool pages = tabViews->isVisible() && index == kPagesTab;
  lvwItems->setVisible(!pages);
  pnlFilter->setVisible(tabViews->isVisible() && !pages);
  frmPagesWithoutRow->setVisible(pages);
}

void TfrmMain::btnPagesWithoutRowClick() {
  if (!LiveMode()) return;
  tabViews->setCurrentIndex(kPagesTab);
}

void TfrmMain::pnlFilterChanged(const liverun::TLiveFilter& filter) {
  lvwItemsFilter->SetFilter(filter);
  ShowFilteredCount();
}

void TfrmMain::ShowFilteredCount() {
  if (!LiveMode()) return;
  const std::size_t all = lvwItemsModel->Count();
  if (lvwItemsFilter->Filter().Active()) {
    stpItems->setText(QStringLiteral("%1 of %2 rows").arg(lvwItemsFilter->rowCount()).arg(all));
  } else if (!LiveRunActive()) {
    stpItems->setText(ToQString(ItemsListedText(all)));
  }
}

std::vector<std::size_t> TfrmMain::SelectedModelRows() const {
  if (lvwItems->model() != lvwItemsFilter) return {};
  return lvwItemsFilter->ModelRows(lvwItems->selectionModel()->selectedRows());
}

void TfrmMain::lvwItemsContextMenu(const QPoint& position) {
  if (!LiveMode()) return;
  const QModelIndex under = lvwItems->indexAt(position);
  if (!under.isValid()) return;
  // The row under the pointer is the one the menu acts on.
  if (!lvwItems->selectionModel()->isRowSelected(under.row(), QModelIndex())) {
    lvwItems->selectionModel()->select(under, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  lvwItems->selectionModel()->setCurrentIndex(under, QItemSelectionModel::NoUpdate);
  mnuRow->popup(lvwItems->viewport()->mapToGlobal(position));
}

void TfrmMain::actOpenClick() {
  for (std::size_t row : SelectedModelRows()) TShell::OpenInBrowser(lvwItemsModel->AddressAt(row));
}

void TfrmMain::actCopyAddressClick() {
  std::string text;
  for (std::size_t row : SelectedModelRows()) text += lvwItemsModel->AddressAt(row) + "\n";
  if (!text.empty()) text.pop_back();
  if (!text.empty()) QApplication::clipboard()->setText(ToQString(text));
}

void TfrmMain::actCopyRowClick() { CopySelectedRows(); }

void TfrmMain::CopySelectedRows() {
  std::string text;
  for (std::size_t row : SelectedModelRows()) {
    if (row < lvwItemsModel->LiveResults().size()) text += RowText(lvwItemsModel->LiveResults()[row]) + "\n";
  }
  if (!text.empty()) QApplication::clipboard()->setText(ToQString(text));
}

void TfrmMain::DeleteSelectedRows() {
  const std::vector<std::size_t> rows = SelectedModelRows();
  if (rows.empty() || LiveRunActive()) return;
  if (msgMain->Execute(kDeleteSelectedQuestion, TMsgKind::Information, TMsgButtons::OkCancel) != TMsgResult::Ok) {
    return;
  }
  lvwItemsModel->DeleteRows(rows);
  stpItems->setText(ToQString(ItemsListedText(lvwItemsModel->Count())));
  ShowFilteredCount();
}

void TfrmMain::RunStoreTask(std::function<std::string(store::TStore&)> task) {
  if (!FStoreTasks) return;
  QPointer<QLabel> status = MainStatusPanel;
  FStoreTasks->Post([task = std::move(task), status](store::TStore* store, const std::string& error) {
    std::string message;
    if (!store) {
      message = error.empty() ? std::string(kStoreOff) : error;
    } else {
      try {
        message = task(*store);
      } catch (const store::TStoreError& failure) {
        message = failure.what();
      }
    }
    QMetaObject::invokeMethod(
        status, [status, message] {
          if (!status) return;
          status->setText(ToQString(message));
          status->setToolTip(ToQString(message));
        },
        Qt::QueuedConnection);
  });
}

void TfrmMain::actBlacklistDomainClick() {
  for (std::size_t row : SelectedModelRows()) {
    const std::string domain = live::RegistrableDomain(live::HostOfUrl(lvwItemsModel->AddressAt(row)));
    if (domain.empty()) continue;
    RunStoreTask([domain](store::TStore& store) {
      return store.AddToBlacklist(domain) ? domain + " is on the blacklist now: later runs skip its pages"
                                          : domain + " was on the blacklist already";
    });
  }
}

void TfrmMain::actCommentedClick() {
  for (std::size_t row : SelectedModelRows()) {
    const std::string address = lvwItemsModel->AddressAt(row);
    RunStoreTask([address](store::TStore& store) {
      const bool added = store.AddLink(address, live::HostOfUrl(address));
      return (added ? "Your comment on " + address + " is recorded"
                    : "Your comment on " + address + " was recorded already") +
             std::string("; Re-check Links watches it");
    });
  }
}

void TfrmMain::LoadHistory(int days) {
  if (!FStoreTasks || LiveRunActive()) return;
  MainStatusPanel->setText(QStringLiteral("Reading the store..."));
  const store::TTime since =
      days <= 0 ? 0 : static_cast<store::TTime>(std::time(nullptr)) - static_cast<store::TTime>(days) * 86400;
  QPointer<TfrmMain> self = this;
  FStoreTasks->Post([self, since](store::TStore* store, const std::string& error) {
    std::vector<liverun::TLiveResult> rows;
    std::string message;
    if (!store) {
      message = error.empty() ? std::string(kStoreOff) : error;
    } else {
      try {
        for (const store::THistoryEntry& entry : store->History(since)) {
          // Only the pages that have a row; the others are in Pages without a row of their runs.
          if (entry.Verdict.Reason.empty()) rows.push_back(livesetup::ResultOf(entry.Verdict));
        }
        message = std::to_string(rows.size()) + (rows.size() == 1 ? " row" : " rows") + " from the store (" +
                  store->Location() + ")";
      } catch (const store::TStoreError& failure) {
        message = failure.what();
      }
    }
    QMetaObject::invokeMethod(
        self, [self, rows = std::move(rows), message] {
          if (self) self->ShowHistory(rows, message);
        },
        Qt::QueuedConnection);
  });
}

void TfrmMain::ShowHistory(const std::vector<liverun::TLiveResult>& rows, const std::string& message) {
  MainStatusPanel->setText(ToQString(message));
  MainStatusPanel->setToolTip(ToQString(message));
  if (rows.empty() || LiveRunActive()) return;
  bool append = false;
  if (!MayReplaceRows(append)) return;
  if (!append) lvwItemsModel->Clear();
  lvwItemsModel->SetColumns(TResultColumns::Live);
  for (const liverun::TLiveResult& row : rows) lvwItemsModel->AddLive(row);
  FUnsavedRows = append ? FUnsavedRows : 0;
  tabViews->setCurrentIndex(kResultsTab);
  stpItems->setText(ToQString(ItemsListedText(lvwItemsModel->Count())));
  ShowFilteredCount();
}

void TfrmMain::btnRecheckClick() {
  const std::string domain = DomainFromEditText(DomainText());
  if (domain.empty()) {
    MainStatusPanel->setText(QStringLiteral("Type your domain first: Re-check Links looks for links to it"));
    edtDomain->setFocus();
    return;
  }
  TfrmLinkCheck::Open(
      this, [sources = FSources](std::string& error) { return livesetup::MakeLiveRunParts(sources, error); },
      [choice = FSources.Store](std::string& error) { return livesetup::OpenChosenStore(choice, error); }, domain);
}

bool TfrmMain::MayReplaceRows(bool& append) {
  append = false;
  if (FUnsavedRows == 0 || lvwItemsModel->Count() == 0) return true;
  const std::string question = "The list holds " + std::to_string(FUnsavedRows) +
                               (FUnsavedRows == 1 ? " row" : " rows") +
                               " that you have not saved.\n\nYes: replace them with the new rows.\n"
                               "No: keep them and add the new rows below.\nCancel: do nothing.";
  switch (msgMain->Execute(question, TMsgKind::Information, TMsgButtons::YesNoCancel)) {
    case TMsgResult::Yes: return true;
    case TMsgResult::No: append = true; return true;
    default: return false;
  }
}

}  // namespace halvane
