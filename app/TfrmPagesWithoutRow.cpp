#include "app/TfrmPagesWithoutRow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "toolkit/TextConvert.h"

namespace halvane {

TfrmPagesWithoutRow::TfrmPagesWithoutRow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmPagesWithoutRow"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  lblSourceProblems = new QLabel(this);
  lblSourceProblems->setObjectName(QStringLiteral("lblSourceProblems"));
  // Whole messages: a 403's hint is the part the user needs.
  lblSourceProblems->setWordWrap(true);
  lblSourceProblems->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblSourceProblems->setTextFormat(Qt::PlainText);
  lblSourceProblems->setStyleSheet(QStringLiteral("color: #a00000;"));
  lblSourceProblems->hide();
  layout->addWidget(lblSourceProblems);
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
}

void TfrmPagesWithoutRow::ShowSourceProblems(const std::string& text) {
  lblSourceProblems->setText(ToQString(text));
  lblSourceProblems->setVisible(!text.empty());
}

void TfrmPagesWithoutRow::ShowPages(const std::vector<liverun::TPageOutcome>& pages) {
  lvwPages->setSortingEnabled(false);
  lvwPages->setRowCount(static_cast<int>(pages.size()));
  for (std::size_t i = 0; i < pages.size(); ++i) SetRow(static_cast<int>(i), pages[i]);
  lvwPages->setSortingEnabled(true);
  lvwPages->resizeColumnsToContents();
  ShowCount();
}

void TfrmPagesWithoutRow::AddPage(const liverun::TPageOutcome& page) {
  lvwPages->setSortingEnabled(false);
  const int row = lvwPages->rowCount();
  lvwPages->insertRow(row);
  SetRow(row, page);
  lvwPages->setSortingEnabled(true);
  ShowCount();
}

void TfrmPagesWithoutRow::SetRow(int row, const liverun::TPageOutcome& page) {
  lvwPages->setItem(row, 0, new QTableWidgetItem(ToQString(page.Address)));
  lvwPages->setItem(row, 1, new QTableWidgetItem(ToQString(page.FinalAddress)));
  auto* reason = new QTableWidgetItem(ToQString(page.Result));
  reason->setToolTip(reason->text());
  lvwPages->setItem(row, 2, reason);
}

void TfrmPagesWithoutRow::ShowCount() {
  const int count = lvwPages->rowCount();
  lblCount->setText(count == 1 ? QStringLiteral("1 harvested address has no row")
                               : QStringLiteral("%1 harvested addresses have no row").arg(count));
}

}  // namespace halvane
