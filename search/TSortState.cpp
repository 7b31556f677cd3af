#include "search/TSortState.h"

namespace halvane {

void TSortState::HeaderClick(int column) noexcept {
  if (column == SortColumn) {
    SortAscending = !SortAscending;
  } else {
    SortColumn = column;
  }
}

}  // namespace halvane
