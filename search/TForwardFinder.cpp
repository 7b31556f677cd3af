#include "search/TForwardFinder.h"

namespace halvane {
namespace {

inline unsigned char Fold(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

// A-Z folded. Each byte is looked at once for the first character (and at
// most marker-length times in all), so the cost is bounded by the distance
// to the match: a letter case that never occurs costs nothing extra.
std::size_t FindFolded(std::string_view text, std::string_view marker,
                       std::size_t from) noexcept {
  if (marker.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (from > text.size() || marker.size() > text.size() - from) return std::string_view::npos;
  const unsigned char first = Fold(marker[0]);
  const std::size_t last = text.size() - marker.size();
  for (std::size_t i = from; i <= last; ++i) {
    if (Fold(text[i]) != first) continue;
    std::size_t k = 1;
    while (k < marker.size() && Fold(text[i + k]) == Fold(marker[k])) ++k;
    if (k == marker.size()) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::size_t TForwardFinder::NextFrom(std::size_t position) noexcept {
  if (!FSearched || (FFound != std::string_view::npos && FFound < position)) {
    FFound = FMatch == TMatch::Exact ? FText.find(FMarker, position)
                                     : FindFolded(FText, FMarker, position);
    FSearched = true;
  }
  return FFound;
}

}  // namespace halvane
