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

// Which captions the list shows: the classic ones, or a live run's
// ("Authority", "URL", "Comments", "Has Your Link", "Anchor Name",
// "Traffic Rank") in the same six cells.
enum class TResultColumns { Classic, Live };

// Classic: "Home Page PR" and "Alexa Ranking" compare as numbers, every
// other column ("PR" included: 10 sorts between 1 and 2) as text. Live:
// "Authority" and "Traffic Rank" as numbers ("-" counts as 0), the others as
// text. Negated when not ascending. A column outside 0..5 compares equal.
int CompareItems(const TResultItem& row1, const TResultItem& row2, int column, bool ascending,
                 const TTextCompare& textCompare, TResultColumns columns = TResultColumns::Classic);

// Sorts rows by column with CompareItems; rows that compare equal keep
// their order.
void SortResultItems(std::vector<TResultItem>& rows, int column, bool ascending,
                     const TTextCompare& textCompare, TResultColumns columns = TResultColumns::Classic);

}  // namespace halvane
