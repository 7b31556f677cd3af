#pragma once
#include <map>
#include <optional>
#include <string>

namespace halvane::sources {

// One call's figures by the domain asked for, or why the call failed.
struct TAuthorityAnswer {
  std::map<std::string, std::optional<int>> Figures;  // every domain asked: nothing when unknown
  std::string Error;                                  // not "": the call failed
  bool KeyRefused = false;                            // 401 or 403: later calls would fail too
};

}  // namespace halvane::sources
