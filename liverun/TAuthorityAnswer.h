#pragma once
// One authority lookup's figures by the name asked for, or why it failed.
#include <map>
#include <optional>
#include <string>

namespace halvane::liverun {

struct TAuthorityAnswer {
  // Every name asked: its figure 0..10, an empty optional when unknown.
  std::map<std::string, std::optional<int>> Figures;
  std::string Error;        // not "": the source failed; why, naming it, in words
  std::string Note;         // worth a word to the user, though the figures stand
  bool KeyRefused = false;  // the service refused the key: later calls would fail too
};

}  // namespace halvane::liverun
