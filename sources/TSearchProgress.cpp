#include "sources/TSearchProgress.h"

namespace halvane::sources {

std::string TSearchProgress::StatusText() const {
  return "Searching " + Engine + ", page " + std::to_string(Page) + "...";
}

}  // namespace halvane::sources
