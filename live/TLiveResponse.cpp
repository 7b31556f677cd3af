#include "live/TLiveResponse.h"

#include "base/TextScan.h"

namespace halvane::live {

std::string TLiveResponse::Header(std::string_view name) const {
  for (const auto& [key, value] : Headers) {
    if (EqualsNoCase(key, name)) return value;
  }
  return {};
}

}  // namespace halvane::live
