#include "app/TfrmPagesWithoutRow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "toolkit/TextConvert.h"

namespace halvane {

TfrmPagesWithoutRow::TfrmPagesWithoutRow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmPagesWithoutRow"));
  setWindowTitle(QStringLiteral("Pages without a row"));
  auto* layout = new QVBoxLayout(this);
  lblCount = new QLabel(this);
  lblCount->setObjectName(QStringLiteral("lblCount"));
  layout->addWidget(lblCount);
  lvwPages = new QTableWidget(0, 3, this);
  lvwPages->setObjectName(QStringLiteral("lvwPages"));
  lvwPages->setHorizontalHeaderLabels({QStringLiteral("Address"), QStringLiteral("Final Address"),
                                       QStringLiteral("Reason")});
  lvwPages->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwPages->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwPages->verticalHeader()->hide();
  lvwPages->horizontalHeader()->setStretchLastSection(true);
  lvwPages->setSortingEnabled(true);
  layout->addWidget(lvwPages);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(buttons);
  // Addresses and errors are long: room for them at the default font.
  resize(900, 420);
}

void TfrmPagesWithoutRow::ShowPages(const std::vector<liverun::TPageOutcome>& pages) {
  lvwPages->setSortingEnabled(false);
  lvwPages->setRowCount(static_cast<int>(pages.size()));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const int row = static_cast<int>(i);
    lvwPages->setItem(row, 0, new QTableWidgetItem(ToQString(pages[i].Address)));
    lvwPages->setItem(row, 1, new QTableWidgetItem(ToQString(pages[i].FinalAddress)));
    auto* reason = new QTableWidgetItem(ToQString(pages[i].Result));
    reason->setToolTip(reason->text());
    lvwPages->setItem(row, 2, reason);
  }
  lvwPages->setSortingEnabled(true);
  lvwPages->resizeColumnsToContents();
  lblCount->setText(pages.size() == 1 ? QStringLiteral("1 harvested address has no row")
                                      : QStringLiteral("%1 harvested addresses have no row").arg(pages.size()));
}

}  // namespace halvane
