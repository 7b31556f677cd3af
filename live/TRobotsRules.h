#pragma once
// One host's robots.txt as RFC 9309 reads it: the group for our product
// token (or "*"), longest match wins, allow wins a tie, "*" and "$" in paths.
#include <string>
#include <string_view>
#include <vector>

namespace halvane::live {

class TRobotsRules {
 public:
  // Everything allowed (no robots.txt, or a 4xx answer).
  TRobotsRules() = default;
  // Bounded in time and memory whatever body holds.
  static TRobotsRules Parse(std::string_view body, std::string_view productToken);
  // pathAndQuery starts with "/".
  bool Allowed(std::string_view pathAndQuery) const;

 private:
  struct TRule {
    std::string Pattern;
    bool Allow = false;
  };
  std::vector<TRule> FRules;
};

}  // namespace halvane::live
