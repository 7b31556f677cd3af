#pragma once
// Ordering of the results list by a column.
#include <functional>
#include <string_view>
#include <vector>

#include "search/TResultItem.h"

namespace halvane {

// Text order of two cells: negative, 0 or positive. The window passes a
// case-insensitive collation of the user's locale.
using TTextCompare = std::function<int(std::string_view, std::string_view)>;

// Compares two texts as signed 32-bit decimal numbers after removing every
// ","; a text that is no such number counts as 0. Returns -1, 0 or 1.
int CompareNumbers(std::string_view a, std::string_view b);

// "Home Page PR" and "Alexa Ranking" compare as numbers, every other column
// ("PR" included: 10 sorts between 1 and 2) as text. Negated when not
// ascending. A column outside 0..5 compares equal. (A live run's rows are
// ordered by their own column table, liverun/LiveColumns.h.)
int CompareItems(const TResultItem& row1, const TResultItem& row2, int column, bool ascending,
                 const TTextCompare& textCompare);

// Sorts rows by column with CompareItems; rows that compare equal keep
// their order.
void SortResultItems(std::vector<TResultItem>& rows, int column, bool ascending,
                     const TTextCompare& textCompare);

}  // namespace halvane
