#include "TServiceReply.h"

#include "SimText.h"

namespace halvane::sim {

std::string TServiceRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : Headers) {
    if (ToLowerAscii(key) == ToLowerAscii(name)) return value;
  }
  return {};
}

}  // namespace halvane::sim
