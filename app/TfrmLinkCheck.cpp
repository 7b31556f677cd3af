#include "app/TfrmLinkCheck.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "livesetup/LinkCheck.h"
#include "toolkit/TextConvert.h"

namespace halvane {

TfrmLinkCheck::TfrmLinkCheck(TLinkCheckRun::TPartsMaker makeParts, TLinkCheckRun::TStoreOpener openStore,
                             std::string domain, QWidget* parent)
    : QDialog(parent),
      FRun(std::make_unique<TLinkCheckRun>(std::move(makeParts), std::move(openStore), std::move(domain),
                                           static_cast<TLinkCheckRun::TView&>(*this))) {
  setObjectName(QStringLiteral("frmLinkCheck"));
  setWindowTitle(QStringLiteral("Re-check links"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  prgCheck = new QProgressBar(this);
  prgCheck->setObjectName(QStringLiteral("prgCheck"));
  prgCheck->setRange(0, 1);
  prgCheck->setValue(0);
  layout->addWidget(prgCheck);
  lvwLinks = new QTableWidget(0, 3, this);
  lvwLinks->setObjectName(QStringLiteral("lvwLinks"));
  lvwLinks->setHorizontalHeaderLabels({QStringLiteral("Address"), QStringLiteral("Result"), QStringLiteral("Changed")});
  lvwLinks->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwLinks->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwLinks->verticalHeader()->hide();
  lvwLinks->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(lvwLinks);
  lblSummary = new QLabel(this);
  lblSummary->setObjectName(QStringLiteral("lblSummary"));
  // Store errors are long and name files: all of it, wrapped, to copy.
  lblSummary->setWordWrap(true);
  lblSummary->setTextFormat(Qt::PlainText);
  lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(lblSummary);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch();
  btnStop = new QPushButton(QStringLiteral("Stop"), this);
  btnStop->setObjectName(QStringLiteral("btnStop"));
  btnStop->setEnabled(false);
  buttons->addWidget(btnStop);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  buttons->addWidget(btnClose);
  layout->addLayout(buttons);
  connect(btnStop, &QPushButton::clicked, this, &TfrmLinkCheck::btnStopClick);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
  // Addresses and reasons are long: room for them at the default font.
  resize(900, 420);
}

TfrmLinkCheck::~TfrmLinkCheck() = default;

TfrmLinkCheck* TfrmLinkCheck::Open(QWidget* parent, TLinkCheckRun::TPartsMaker makeParts,
                                   TLinkCheckRun::TStoreOpener openStore, std::string domain) {
  auto* dialog = new TfrmLinkCheck(std::move(makeParts), std::move(openStore), std::move(domain), parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  dialog->Start();
  return dialog;
}

void TfrmLinkCheck::Start() {
  btnStop->setEnabled(true);
  FRun->Start();
}

void TfrmLinkCheck::closeEvent(QCloseEvent* event) {
  FRun->Stop();
  QDialog::closeEvent(event);
}

void TfrmLinkCheck::btnStopClick() {
  FRun->Stop();
  btnStop->setEnabled(false);
  lblSummary->setText(QStringLiteral("Stopping..."));
}

void TfrmLinkCheck::ShowLinkCheckStatus(const std::string& text) {
  lblSummary->setText(ToQString(text));
}

void TfrmLinkCheck::ShowLinkCheckProgress(std::size_t done, std::size_t total) {
  prgCheck->setRange(0, static_cast<int>(total));
  prgCheck->setValue(static_cast<int>(done));
  if (btnStop->isEnabled()) {
    lblSummary->setText(QStringLiteral("%1 of %2 pages checked...").arg(done).arg(total));
  }
}

void TfrmLinkCheck::LinkCheckEnded(const std::vector<livesetup::TRecheckLine>& lines, const std::string& text) {
  lvwLinks->setRowCount(static_cast<int>(lines.size()));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int row = static_cast<int>(i);
    lvwLinks->setItem(row, 0, new QTableWidgetItem(ToQString(lines[i].Address)));
    auto* result = new QTableWidgetItem(ToQString(livesetup::LinkStateText(lines[i].Check)));
    result->setToolTip(result->text());
    lvwLinks->setItem(row, 1, result);
    lvwLinks->setItem(row, 2, new QTableWidgetItem(ToQString(livesetup::LinkChangeText(lines[i]))));
  }
  lvwLinks->resizeColumnsToContents();
  lvwLinks->horizontalHeader()->setStretchLastSection(true);
  lblSummary->setText(ToQString(text));
  btnStop->setEnabled(false);
}

}  // namespace halvane
