#include "classicrun/TRankSlot.h"

namespace halvane {

std::uint64_t TRankSlot::Begin() {
  std::lock_guard<std::mutex> lock(FMutex);
  FText.clear();
  return ++FTag;
}

bool TRankSlot::Store(std::uint64_t tag, std::string text) {
  std::lock_guard<std::mutex> lock(FMutex);
  if (tag != FTag) return false;
  FText = std::move(text);
  return true;
}

std::string TRankSlot::Text() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FText;
}

}  // namespace halvane
