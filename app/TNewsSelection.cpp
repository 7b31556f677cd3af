#include "app/TNewsSelection.h"

namespace halvane {

TNewsSelection::TNewsSelection(QAbstractItemModel* model, TAllowChange allowChange, QObject* parent)
    : QItemSelectionModel(model, parent), FAllowChange(std::move(allowChange)) {}

void TNewsSelection::setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) {
  if (Allowed()) QItemSelectionModel::setCurrentIndex(index, command);
}

void TNewsSelection::select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) {
  if (Allowed()) QItemSelectionModel::select(index, command);
}

void TNewsSelection::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) {
  if (Allowed()) QItemSelectionModel::select(selection, command);
}

void TNewsSelection::clearCurrentIndex() {
  if (Allowed()) QItemSelectionModel::clearCurrentIndex();
}

void TNewsSelection::clear() {
  if (Allowed()) QItemSelectionModel::clear();
}

}  // namespace halvane
