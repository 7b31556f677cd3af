#include "live/TLiveResponse.h"

#include "base/TextScan.h"

namespace halvane::live {

std::string TLiveResponse::Problem() const {
  if (Succeeded()) return {};
  if (!Message.empty()) return Message;
  return "HTTP " + std::to_string(Status);
}

std::string TLiveResponse::Header(std::string_view name) const {
  for (const auto& [key, value] : Headers) {
    if (EqualsNoCase(key, name)) return value;
  }
  return {};
}

}  // namespace halvane::live
