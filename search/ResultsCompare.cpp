#include "ResultsCompare.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>

#include "ResultsList.h"

namespace halvane {
namespace {

std::int32_t NumberOrZero(std::string_view text) {
  std::string digits;
  digits.reserve(text.size());
  for (char c : text) {
    if (c != ',') digits += c;
  }
  std::string_view rest = digits;
  if (rest.size() > 1 && rest.front() == '+' && rest[1] != '-') rest.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (error != std::errc() || end != rest.data() + rest.size()) return 0;
  return value;
}

}  // namespace

int CompareNumbers(std::string_view a, std::string_view b) {
  const std::int32_t x = NumberOrZero(a);
  const std::int32_t y = NumberOrZero(b);
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
