#pragma once
// How a live run judges one fetched page: the page test the sources file
// chooses, behind one signature. The verdict is the page test's own.
#include <functional>
#include <string_view>

#include "pagetest/TPageVerdict.h"

namespace halvane::liverun {

struct TPageInput {
  std::string_view Body;
  std::string_view FinalUrl;     // after redirects, in its one form
  std::string_view ContentType;  // the answer's header, "" without one
  std::string_view UserDomain;   // as the user typed it
};

// Called on the run's own thread.
using TPageJudge = std::function<pagetest::TPageVerdict(const TPageInput& page)>;

}  // namespace halvane::liverun
