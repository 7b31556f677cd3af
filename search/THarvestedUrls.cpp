#include "search/THarvestedUrls.h"

#include "platform/CodePage.h"

namespace halvane {

void THarvestedUrls::Clear() {
  FItems.clear();
  FFoldedKeys.clear();
}

bool THarvestedUrls::Add(std::string_view address) {
  if (!FFoldedKeys.insert(platform::AnsiLowerCase(address)).second) return false;
  FItems.emplace_back(address);
  return true;
}

bool THarvestedUrls::Contains(std::string_view address) const {
  return FFoldedKeys.count(platform::AnsiLowerCase(address)) != 0;
}

}  // namespace halvane
