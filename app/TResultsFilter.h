#pragma once
// The live list as the filter bar narrows it: a view of TResultsModel's
// rows that keeps those the filter accepts, in the model's own order (the
// model sorts; this only leaves rows out). A row whose figures change is
// looked at again.
#include <QSortFilterProxyModel>

#include <cstddef>
#include <vector>

#include "liverun/TLiveFilter.h"

namespace halvane {

class TResultsModel;

class TResultsFilter : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit TResultsFilter(TResultsModel& rows, QObject* parent = nullptr);

  void SetFilter(const liverun::TLiveFilter& filter);
  const liverun::TLiveFilter& Filter() const noexcept { return FFilter; }
  // The model's rows behind these shown ones.
  std::vector<std::size_t> ModelRows(const QModelIndexList& shown) const;

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  TResultsModel& FRows;
  liverun::TLiveFilter FFilter;
};

}  // namespace halvane
