#pragma once
// One host's robots.txt as RFC 9309 reads it: the group for our product
// token (or "*"), longest match wins, allow wins a tie, "*" and "$" in paths
// (%2A and %24 for the characters themselves), rule and path compared with
// unreserved escapes decoded and dot segments removed, so that no spelling
// of an address walks around a rule.
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
    bool Anchored = false;  // a final "$": the path must end where the pattern does
  };
  std::vector<TRule> FRules;
};

}  // namespace halvane::live
