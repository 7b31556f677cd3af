#include "search/ResultsList.h"

#include <algorithm>

namespace halvane {

const std::vector<std::string>& ResultColumnCaptions() {
  static const std::vector<std::string> captions = {
      "PR", "URL", "Home Page PR", "Has Your Link", "Anchor Name", "Alexa Ranking"};
  return captions;
}

const std::string& ResultCellText(const TResultItem& item, int column) {
  static const std::string none;
  switch (column) {
    case kColumnPR: return item.PR;
    case kColumnURL: return item.URL;
    case kColumnHomePagePR: return item.HomePagePR;
    case kColumnHasYourLink: return item.HasYourLink;
    case kColumnAnchorName: return item.AnchorName;
    case kColumnAlexaRanking: return item.AlexaRanking;
    default: return none;
  }
}

std::string ItemsListedText(std::size_t rows) { return std::to_string(rows) + " items listed"; }

std::string ItemsFoundText(std::size_t rows, std::size_t visited) {
  return std::to_string(rows) + " items found of " + std::to_string(visited) + " analized";
}

std::size_t DeleteCheckedItems(std::vector<TResultItem>& items) {
  const auto removed = std::erase_if(items, [](const TResultItem& item) { return item.Checked; });
  return static_cast<std::size_t>(removed);
}

}  // namespace halvane
