#pragma once
// Selection model of the news list that refuses every change of current
// item or selection while its guard says no (a body is being fetched).
#include <QItemSelectionModel>

#include <functional>

namespace halvane {

class TNewsSelection : public QItemSelectionModel {
 public:
  using TAllowChange = std::function<bool()>;

  TNewsSelection(QAbstractItemModel* model, TAllowChange allowChange, QObject* parent);

  void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
  void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
  void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
  void clearCurrentIndex() override;
  void clear() override;

  // Drops the guard; the owner calls it before it goes, since the list
  // still resets its selection while the widgets are torn down.
  void ReleaseGuard() { FAllowChange = nullptr; }

 private:
  bool Allowed() const { return !FAllowChange || FAllowChange(); }

  TAllowChange FAllowChange;
};

}  // namespace halvane
