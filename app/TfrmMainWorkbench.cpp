// The main window in live mode as a workbench: the list's two views (rows,
// pages without a row), the filter bar, the rows' menu and keys. The
// store's actions are in TfrmMainStore.cpp. Only live mode shows any of it;
// the classic window is untouched.
#include "app/TfrmMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTableView>

#include <tuple>

#include "app/TLiveFilterBar.h"
#include "app/TResultsFilter.h"
#include "app/TResultsModel.h"
#include "app/TfrmPagesWithoutRow.h"
#include "liverun/LiveColumns.h"
#include "livesetup/TStoreTasks.h"
#include "search/ResultsList.h"
#include "toolkit/TAlignLayout.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TShell.h"
#include "toolkit/TextConvert.h"

namespace halvane {
namespace {

// The live list's column widths; the address takes what is left.
constexpr int kLiveWidths[liverun::kLiveColumnCount] = {70, 0, 75, 100, 95, 130, 90};

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

  connect(btnRecheck, &QPushButton::clicked, this, &TfrmMain::btnRecheckClick);
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
    FStoreTasks = std::make_unique<livesetup::TStoreTasks>(StoreOpener());
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

}  // namespace halvane
