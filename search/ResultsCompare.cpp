#include "search/ResultsCompare.h"

#include <algorithm>
#include <string>

#include "search/ResultsList.h"
#include "base/TextScan.h"

namespace halvane {
int CompareNumbers(std::string_view a, std::string_view b) {
  const int x = Int32OrZero(RemoveAll(a, ","));
  const int y = Int32OrZero(RemoveAll(b, ","));
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareItems(const TResultItem& row1, const TResultItem& row2, int column, bool ascending,
                 const TTextCompare& textCompare) {
  if (column < 0 || column >= kResultColumnCount) return 0;
  const std::string& a = ResultCellText(row1, column);
  const std::string& b = ResultCellText(row2, column);
  int result;
  if (column == kColumnHomePagePR || column == kColumnAlexaRanking) {
    result = CompareNumbers(a, b);
  } else {
    const int order = textCompare(a, b);  // any int; only its sign counts
    result = order < 0 ? -1 : (order > 0 ? 1 : 0);
  }
  return ascending ? result : -result;
}

void SortResultItems(std::vector<TResultItem>& rows, int column, bool ascending,
                     const TTextCompare& textCompare) {
  std::stable_sort(rows.begin(), rows.end(), [&](const TResultItem& x, const TResultItem& y) {
    return CompareItems(x, y, column, ascending, textCompare) < 0;
  });
}

}  // namespace halvane
