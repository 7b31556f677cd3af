#include "app/TResultsModel.h"

#include <QCollator>
#include <QFont>
#include <QLocale>

#include <algorithm>
#include <numeric>

#include "search/ResultsList.h"
#include "liverun/LiveColumns.h"
#include "toolkit/TextConvert.h"

namespace halvane {
namespace {

std::string* CellOf(TResultItem& item, int column) {
  switch (column) {
    case kColumnPR: return &item.PR;
    case kColumnURL: return &item.URL;
    case kColumnHomePagePR: return &item.HomePagePR;
    case kColumnHasYourLink: return &item.HasYourLink;
    case kColumnAnchorName: return &item.AnchorName;
    case kColumnAlexaRanking: return &item.AlexaRanking;
    default: return nullptr;
  }
}

}  // namespace

TResultsModel::TResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

int TResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TResultsModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return FColumns == TResultColumns::Live ? liverun::kLiveColumnCount : kResultColumnCount;
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= FRows.size()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const TResultItem& item = FRows[row];
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    if (row < FLive.size()) return ToQString(liverun::LiveCellText(FLive[row], index.column()));
    return ToQString(ResultCellText(item, index.column()));
  }
  if (role == Qt::CheckStateRole && index.column() == kColumnPR) return item.Checked ? Qt::Checked : Qt::Unchecked;
  // A page judged for the first time stands out.
  if (role == Qt::FontRole && row < FLive.size() && FLive[row].IsNew.value_or(false)) {
    QFont font;
    font.setBold(true);
    return font;
  }
  return {};
}

bool TResultsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= FRows.size() || index.column() != kColumnPR)
    return false;
  const auto row = static_cast<std::size_t>(index.row());
  if (role == Qt::CheckStateRole) {
    SetChecked(row, value.toInt() == Qt::Checked);
    return true;
  }
  if (role == Qt::EditRole && FLive.empty()) {
    SetCellAt(row, kColumnPR, FromQString(value.toString()));
    return true;
  }
  return false;
}

QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
    return {};
  const std::vector<std::string>& captions =
      FColumns == TResultColumns::Live ? liverun::LiveColumnCaptions() : ResultColumnCaptions();
  return ToQString(captions[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags TResultsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kColumnPR) {
    result |= Qt::ItemIsUserCheckable;
    if (FColumns == TResultColumns::Classic) result |= Qt::ItemIsEditable;
  }
  return result;
}

std::uint64_t TResultsModel::Add(TResultItem item) {
  const int row = static_cast<int>(FRows.size());
  beginInsertRows(QModelIndex(), row, row);
  FRows.push_back(std::move(item));
  FKeys.push_back(++FLastKey);
  endInsertRows();
  return FLastKey;
}

std::uint64_t TResultsModel::AddLive(liverun::TLiveResult result) {
  const int row = static_cast<int>(FRows.size());
  beginInsertRows(QModelIndex(), row, row);
  FLive.resize(FRows.size());
  FLive.push_back(std::move(result));
  FRows.emplace_back();
  FKeys.push_back(++FLastKey);
  endInsertRows();
  return FLastKey;
}

void TResultsModel::UpdateLive(std::uint64_t key, const liverun::TLiveResult& result) {
  const std::ptrdiff_t found = RowOfKey(key);
  if (found < 0 || static_cast<std::size_t>(found) >= FLive.size()) return;
  const auto row = static_cast<std::size_t>(found);
  FLive[row] = result;
  emit dataChanged(index(static_cast<int>(row), 0), index(static_cast<int>(row), columnCount() - 1),
                   {Qt::DisplayRole, Qt::EditRole});
}

std::ptrdiff_t TResultsModel::RowOfKey(std::uint64_t key) const {
  // The row being filled is nearly always the last one.
  for (std::size_t i = FKeys.size(); i-- > 0;)
    if (FKeys[i] == key) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

void TResultsModel::SetCell(std::uint64_t key, int column, const std::string& text) {
  const std::ptrdiff_t row = RowOfKey(key);
  if (row >= 0) SetCellAt(static_cast<std::size_t>(row), column, text);
}

void TResultsModel::SetCellAt(std::size_t row, int column, const std::string& text) {
  if (row >= FRows.size()) return;
  std::string* cell = CellOf(FRows[row], column);
  if (!cell) return;
  *cell = text;
  const QModelIndex at = index(static_cast<int>(row), column);
  emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

void TResultsModel::SetChecked(std::size_t row, bool checked) {
  if (row >= FRows.size() || FRows[row].Checked == checked) return;
  FRows[row].Checked = checked;
  const QModelIndex at = index(static_cast<int>(row), kColumnPR);
  emit dataChanged(at, at, {Qt::CheckStateRole});
}

void TResultsModel::SetAllChecked(bool checked) {
  for (TResultItem& item : FRows) item.Checked = checked;
  if (!FRows.empty())
    emit dataChanged(index(0, kColumnPR), index(static_cast<int>(FRows.size()) - 1, kColumnPR), {Qt::CheckStateRole});
}

void TResultsModel::DeleteChecked() {
  std::vector<bool> marked(FRows.size());
  for (std::size_t i = 0; i < FRows.size(); ++i) marked[i] = FRows[i].Checked;
  DeleteMarked(marked);
}

void TResultsModel::DeleteRows(std::vector<std::size_t> rows) {
  std::vector<bool> marked(FRows.size());
  for (std::size_t row : rows) {
    if (row < marked.size()) marked[row] = true;
  }
  DeleteMarked(marked);
}

void TResultsModel::DeleteMarked(const std::vector<bool>& marked) {
  for (std::size_t i = FRows.size(); i-- > 0;) {
    if (!marked[i]) continue;
    // Neighbouring marked rows go in one step.
    std::size_t first = i;
    while (first > 0 && marked[first - 1]) --first;
    beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(i));
    const auto from = static_cast<std::ptrdiff_t>(first);
    const auto to = static_cast<std::ptrdiff_t>(i) + 1;
    FRows.erase(FRows.begin() + from, FRows.begin() + to);
    if (!FLive.empty()) FLive.erase(FLive.begin() + from, FLive.begin() + to);
    FKeys.erase(FKeys.begin() + from, FKeys.begin() + to);
    endRemoveRows();
    i = first;
  }
}

std::string TResultsModel::AddressAt(std::size_t row) const {
  if (row < FLive.size()) return FLive[row].Url;
  return row < FRows.size() ? FRows[row].URL : std::string();
}

void TResultsModel::Clear() {
  if (FRows.empty()) return;
  beginResetModel();
  FRows.clear();
  FLive.clear();
  FKeys.clear();
  endResetModel();
}

void TResultsModel::Sort(int column, bool ascending) {
  std::vector<std::size_t> order(FRows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (!FLive.empty()) {
      const int sign = liverun::CompareLiveResults(FLive[a], FLive[b], column, &TResultsModel::CompareText);
      return (ascending ? sign : -sign) < 0;
    }
    return CompareItems(FRows[a], FRows[b], column, ascending, &TResultsModel::CompareText) < 0;
  });
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<TResultItem> sorted;
  std::vector<liverun::TLiveResult> sortedLive;
  std::vector<std::uint64_t> sortedKeys;
  sorted.reserve(FRows.size());
  sortedKeys.reserve(FRows.size());
  std::vector<int> newRowOf(FRows.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(FRows[order[i]]));
    if (!FLive.empty()) sortedLive.push_back(std::move(FLive[order[i]]));
    sortedKeys.push_back(FKeys[order[i]]);
    newRowOf[order[i]] = static_cast<int>(i);
  }
  FRows = std::move(sorted);
  FLive = std::move(sortedLive);
  FKeys = std::move(sortedKeys);
  // The highlighted row stays with its item.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before)
    after.push_back(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TResultsModel::SetColumns(TResultColumns columns) {
  if (columns == FColumns) return;
  // The number of columns changes with them.
  beginResetModel();
  FColumns = columns;
  if (columns == TResultColumns::Classic) FLive.clear();
  endResetModel();
}

int TResultsModel::CompareText(std::string_view a, std::string_view b) {
  static const QCollator collator = [] {
    QCollator c{QLocale()};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(ToQString(a), ToQString(b));
}

}  // namespace halvane
