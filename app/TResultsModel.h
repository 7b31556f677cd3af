#pragma once
// The rows of the results list. The model owns them as byte strings; the
// view sees them converted. The first column carries the check box and is
// the only one editable in place. A live run's rows are its typed results,
// shown, sorted and saved through the live column table.
#include <QAbstractTableModel>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "liverun/TLiveResult.h"
#include "search/ResultsCompare.h"
#include "search/TResultItem.h"

namespace halvane {

// Which columns the list shows: the classic ones, or a live run's (its
// column table's captions, its own sort order).
enum class TResultColumns { Classic, Live };

class TResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TResultsModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  std::size_t Count() const noexcept { return FRows.size(); }
  const std::vector<TResultItem>& Items() const noexcept { return FRows; }
  const TResultItem& Item(std::size_t row) const { return FRows.at(row); }

  // Appends a row; returns its key, which stays with the row through
  // sorts and deletions of other rows.
  std::uint64_t Add(TResultItem item);
  // The same for a live run's row (live columns), and its later figures.
  std::uint64_t AddLive(liverun::TLiveResult result);
  void UpdateLive(std::uint64_t key, const liverun::TLiveResult& result);
  // Parallel to the rows while the live columns are shown.
  const std::vector<liverun::TLiveResult>& LiveResults() const noexcept { return FLive; }
  // Writes one cell of the row with that key; a row that is gone or a
  // column out of range is ignored.
  void SetCell(std::uint64_t key, int column, const std::string& text);
  void SetChecked(std::size_t row, bool checked);
  void SetAllChecked(bool checked);
  // Removes the checked rows, last to first.
  void DeleteChecked();
  // Removes these rows (model rows, any order).
  void DeleteRows(std::vector<std::size_t> rows);
  // The page's address in a row of either kind ("" out of range).
  std::string AddressAt(std::size_t row) const;
  void Clear();
  void Sort(int column, bool ascending);
  // The captions shown and the columns sorted as numbers: classic, or a
  // live run's.
  void SetColumns(TResultColumns columns);
  TResultColumns Columns() const noexcept { return FColumns; }

  // Without regard to case, in the collation order of the user's locale.
  static int CompareText(std::string_view a, std::string_view b);

 private:
  std::ptrdiff_t RowOfKey(std::uint64_t key) const;
  // Removes the rows whose flag is set, neighbours in one step.
  void DeleteMarked(const std::vector<bool>& marked);
  void SetCellAt(std::size_t row, int column, const std::string& text);

  std::vector<TResultItem> FRows;
  std::vector<liverun::TLiveResult> FLive;  // parallel to FRows in live mode, else empty
  std::vector<std::uint64_t> FKeys;  // parallel to FRows
  std::uint64_t FLastKey = 0;
  TResultColumns FColumns = TResultColumns::Classic;
};

}  // namespace halvane
