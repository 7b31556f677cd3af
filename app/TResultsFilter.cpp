#include "app/TResultsFilter.h"

#include <algorithm>

#include "app/TResultsModel.h"

namespace halvane {

TResultsFilter::TResultsFilter(TResultsModel& rows, QObject* parent) : QSortFilterProxyModel(parent), FRows(rows) {
  setSourceModel(&rows);
  // Authority arrives after the row: a changed row is filtered again.
  setDynamicSortFilter(true);
}

void TResultsFilter::SetFilter(const liverun::TLiveFilter& filter) {
  if (filter == FFilter) return;
  // One reset rather than a removal signal for every run of hidden rows:
  // a filter that hides every third of 10,000 rows would send thousands.
  beginResetModel();
  FFilter = filter;
  endResetModel();
}

std::vector<std::size_t> TResultsFilter::ModelRows(const QModelIndexList& shown) const {
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : shown) {
    const QModelIndex source = mapToSource(index);
    if (source.isValid()) rows.push_back(static_cast<std::size_t>(source.row()));
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

bool TResultsFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  const std::vector<liverun::TLiveResult>& results = FRows.LiveResults();
  const auto row = static_cast<std::size_t>(sourceRow);
  // Classic rows have no figures to filter on.
  return row >= results.size() || FFilter.Accepts(results[row]);
}

}  // namespace halvane
