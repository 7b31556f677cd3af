#include "TForwardFinder.h"

#include "MarkerScan.h"

namespace halvane {

std::size_t TForwardFinder::NextFrom(std::size_t position) noexcept {
  if (!FSearched || (FFound != std::string_view::npos && FFound < position)) {
    FFound = FMatch == TMatch::Exact ? FText.find(FMarker, position)
                                     : FindNoCase(FText, FMarker, position);
    FSearched = true;
  }
  return FFound;
}

}  // namespace halvane
