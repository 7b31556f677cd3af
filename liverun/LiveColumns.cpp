#include "liverun/LiveColumns.h"

namespace halvane::liverun {

const std::vector<std::string>& LiveColumnCaptions() {
  static const std::vector<std::string> captions = {
      "Authority", "URL", "Comments", "Has Your Link", "Anchor Name", "Traffic Rank"};
  return captions;
}

}  // namespace halvane::liverun
