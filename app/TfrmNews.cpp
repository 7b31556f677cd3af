#include "app/TfrmNews.h"

#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QApplication>
#include <QTreeWidget>

#include "branding/BrandSettings.h"
#include "news/NewsProtocol.h"
#include "app/TNewsClient.h"
#include "app/TNewsSelection.h"
#include "toolkit/TextConvert.h"

#include "toolkit/FormPlacement.h"
#include "toolkit/TAlignLayout.h"
#include "toolkit/THtmlView.h"

namespace halvane {

TfrmNews::TfrmNews(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TfrmNews"));
  setWindowTitle(QStringLiteral("News"));
  setModal(true);
  resize(682, 411);
  auto* layout = new TAlignLayout(this, QSize(682, 411));

  bsSkinPanel3 = new QFrame();
  bsSkinPanel3->setObjectName(QStringLiteral("bsSkinPanel3"));
  bsSkinPanel3->setProperty("skinPanel", "framed");
  layout->AddControl(bsSkinPanel3, QRect(0, 370, 682, 41), TAlign::Bottom);
  auto* footer = new TAlignLayout(bsSkinPanel3, QSize(682, 41));
  btnExit = new QPushButton(QStringLiteral("Close"));
  btnExit->setObjectName(QStringLiteral("btnExit"));
  btnExit->setAutoDefault(false);
  footer->AddControl(btnExit, QRect(304, 7, 97, 20), TAlign::None, 0);
  connect(btnExit, &QPushButton::clicked, this, &TfrmNews::btnExitClick);

  // The splitter holds the list panel and the HTML view and drags the
  // boundary between them.
  bsSkinSplitter1 = new QSplitter(Qt::Vertical);
  bsSkinSplitter1->setObjectName(QStringLiteral("bsSkinSplitter1"));
  bsSkinSplitter1->setHandleWidth(10);
  bsSkinSplitter1->setChildrenCollapsible(false);
  layout->AddControl(bsSkinSplitter1, QRect(0, 0, 682, 370), TAlign::Client);

  bsSkinPanel1 = new QFrame();
  bsSkinPanel1->setObjectName(QStringLiteral("bsSkinPanel1"));
  bsSkinPanel1->setProperty("skinPanel", "framed");
  bsSkinPanel1->setMinimumHeight(10);
  auto* listPanel = new TAlignLayout(bsSkinPanel1, QSize(682, 105));
  bsSkinScrollBar2 = new QScrollBar(Qt::Horizontal);
  bsSkinScrollBar2->setObjectName(QStringLiteral("bsSkinScrollBar2"));
  bsSkinScrollBar2->setVisible(false);
  listPanel->AddControl(bsSkinScrollBar2, QRect(1, 85, 680, 19), TAlign::Bottom);
  // The list scrolls itself; the skinned bar stays hidden.
  bsSkinScrollBar1 = new QScrollBar(Qt::Vertical);
  bsSkinScrollBar1->setObjectName(QStringLiteral("bsSkinScrollBar1"));
  bsSkinScrollBar1->setVisible(false);
  listPanel->AddControl(bsSkinScrollBar1, QRect(662, 1, 19, 84), TAlign::Right);
  lvwItems = new QTreeWidget();
  lvwItems->setObjectName(QStringLiteral("lvwItems"));
  lvwItems->setColumnCount(2);
  lvwItems->setHeaderLabels({QStringLiteral("News Title"), QStringLiteral("Published")});
  lvwItems->setRootIsDecorated(false);
  lvwItems->setItemsExpandable(false);
  lvwItems->setUniformRowHeights(true);
  lvwItems->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwItems->setSelectionMode(QAbstractItemView::SingleSelection);
  lvwItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwItems->header()->setStretchLastSection(false);
  lvwItems->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lvwItems->header()->setSectionResizeMode(1, QHeaderView::Fixed);
  lvwItems->header()->resizeSection(1, 160);
  listPanel->AddControl(lvwItems, QRect(1, 1, 661, 84), TAlign::Client);

  prfEditorNews = new THtmlView();
  prfEditorNews->setObjectName(QStringLiteral("prfEditorNews"));
  prfEditorNews->setMinimumHeight(10);
  bsSkinSplitter1->addWidget(bsSkinPanel1);
  bsSkinSplitter1->addWidget(prfEditorNews);
  bsSkinSplitter1->setStretchFactor(0, 0);
  bsSkinSplitter1->setStretchFactor(1, 1);
  bsSkinSplitter1->setSizes({105, 255});

  CentreOnScreen(this, QSize(682, 411));
}

TfrmNews::TfrmNews(TNewsClient client, std::vector<std::string> newsList, std::string programFolder,
                   QWidget* parent)
    : TfrmNews(parent) {
  FClient = std::make_unique<TNewsClient>(std::move(client));
  FNewsList = std::move(newsList);
  FProgramFolder = std::move(programFolder);
  // While a body is on its way the list keeps its selection, so no second
  // fetch can start from it.
  lvwItems->setSelectionModel(new TNewsSelection(
      lvwItems->model(), [this] { return lvwItemsChanging(); }, lvwItems));
  connect(lvwItems->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TfrmNews::OnSelectionChanged);
}

TfrmNews::~TfrmNews() {
  if (auto* selection = dynamic_cast<TNewsSelection*>(lvwItems->selectionModel())) selection->ReleaseGuard();
}

void TfrmNews::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FShown) return;
  FShown = true;
  FormShow();
}

void TfrmNews::FormShow() {
  lvwItems->clear();
  for (const std::string& line : FNewsList) {
    const TNewsRow row = NewsListRow(line);
    auto* item = new QTreeWidgetItem(lvwItems, {ToQString(row.Title), ToQString(row.Date)});
    item->setData(0, Qt::UserRole, QByteArray::fromStdString(row.Id));
  }
}

std::string TfrmNews::RowNewsId(const QTreeWidgetItem* item) {
  return item ? item->data(0, Qt::UserRole).toByteArray().toStdString() : std::string();
}

bool TfrmNews::lvwItemsChanging() const { return !FFetching; }

void TfrmNews::OnSelectionChanged() {
  const QList<QTreeWidgetItem*> selected = lvwItems->selectedItems();
  if (selected.size() == 1) lvwItemsChange(selected.front());
}

void TfrmNews::lvwItemsChange(QTreeWidgetItem* item) {
  if (!item || FFetching || !FClient) return;
  const std::optional<TNewsTier> tier = FClient->Tier();
  if (!tier) return;
  const std::string id = RowNewsId(item);
  FFetching = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::string body;
  const bool fetched = GetNewsDetails(tier->PublisherId, FClient->ProductCode(), tier->ProductTypeCode,
                                      std::string(kNewsTarget), id, body);
  QApplication::restoreOverrideCursor();
  FFetching = false;
  if (!fetched) return;
  prfEditorNews->LoadHtml(body);
  try {
    WriteLastNewsId(FProgramFolder, id);
  } catch (const std::exception&) {
    // A settings file that cannot be rewritten keeps its old id; the item
    // is shown all the same.
  }
}

bool TfrmNews::GetNewsDetails(const std::string& publisherId, const std::string& productCode,
                              const std::string& productTypeCode, const std::string& newsTarget,
                              const std::string& newsId, std::string& body) {
  body.clear();
  if (!FClient) return false;
  return FClient->RequestDetails(publisherId, productCode, productTypeCode, newsTarget, newsId, body);
}

void TfrmNews::btnExitClick() { accept(); }

}  // namespace halvane
