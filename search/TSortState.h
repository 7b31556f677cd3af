#pragma once

namespace halvane {

// The column sorted last and the direction in force, kept for the window's
// lifetime: a click on the same header reverses the direction, a click on
// another header keeps it.
class TSortState {
 public:
  int SortColumn = -1;
  bool SortAscending = true;

  void HeaderClick(int column) noexcept;
};

}  // namespace halvane
