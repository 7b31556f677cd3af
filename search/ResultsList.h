#pragma once
// Columns, cells and the texts of the results list.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "search/TResultItem.h"

namespace halvane {

inline constexpr int kResultColumnCount = 6;
enum TResultColumn : int {
  kColumnPR = 0,
  kColumnURL = 1,
  kColumnHomePagePR = 2,
  kColumnHasYourLink = 3,
  kColumnAnchorName = 4,
  kColumnAlexaRanking = 5,
};

inline constexpr std::string_view kResultListHint = "Double click to open URL";
inline constexpr std::string_view kDeleteSelectedQuestion =
    "Are you sure do you want to delete the selected items?";
inline constexpr std::string_view kDeleteAllQuestion = "Are you sure do you want to delete all?";

// "PR", "URL", "Home Page PR", "Has Your Link", "Anchor Name", "Alexa Ranking".
const std::vector<std::string>& ResultColumnCaptions();

// The text of a row's cell in a column; empty for a column outside 0..5.
const std::string& ResultCellText(const TResultItem& item, int column);

// count + " items listed"
std::string ItemsListedText(std::size_t rows);
// rows + " items found of " + visited + " analized"
std::string ItemsFoundText(std::size_t rows, std::size_t visited);

// Removes the checked rows; returns how many went.
std::size_t DeleteCheckedItems(std::vector<TResultItem>& items);

}  // namespace halvane
