#pragma once
#include <cstddef>
#include <string_view>

namespace halvane {

// Finds a marker in a text at or after a position that only moves forward.
// The last answer is reused while it still lies ahead, so every search of a
// whole walk over the text together costs time linear in the text.
class TForwardFinder {
 public:
  enum class TMatch { Exact, IgnoreAsciiCase };

  TForwardFinder(std::string_view text, std::string_view marker,
                 TMatch match = TMatch::IgnoreAsciiCase) noexcept
      : FText(text), FMarker(marker), FMatch(match) {}

  // First occurrence at or after position (npos when none); position must
  // not be smaller than in the previous call.
  std::size_t NextFrom(std::size_t position) noexcept;

 private:
  std::string_view FText;
  std::string_view FMarker;
  TMatch FMatch;
  std::size_t FFound = std::string_view::npos;
  bool FSearched = false;
};

}  // namespace halvane
