#pragma once
#include <string>

namespace halvane {

// One row of the results list; every cell is text as shown.
struct TResultItem {
  std::string PR;
  std::string URL;
  std::string HomePagePR;
  std::string HasYourLink;
  std::string AnchorName;
  std::string AlexaRanking;
  bool Checked = false;
};

}  // namespace halvane
