#pragma once
// The faults that requests meet without carrying a marker: rules set at
// start from the configuration and replaced at run time through the control
// route. Safe to use from every server thread.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TFault.h"

namespace halvane::sim {

class TFaultRules {
 public:
  // Replaces all rules by the given lines, each "<match> <faults>"; blank
  // lines and "#" lines are skipped. On a bad line nothing changes and the
  // error names the line; otherwise the result is empty.
  std::string Replace(std::string_view lines);
  void Clear();

  // The fault of the first rule whose match text occurs in address (the
  // whole requested address, "http://host:port/target"); uses it up once.
  // Rules with tls-bad-cert are left out: they meet connections, not requests.
  std::optional<TFault> Take(std::string_view address);
  // Whether a tls-bad-cert rule's match text occurs in connectionAddress
  // ("https://ip:port/", all a new connection tells); uses it up once.
  bool TakeBadCertificate(std::string_view connectionAddress);

  // One "<match> <faults>[,count:N]" line per rule.
  std::string List() const;

 private:
  struct TRule {
    std::string match;
    TFault fault;
  };
  mutable std::mutex mutex_;
  std::vector<TRule> rules_;
};

}  // namespace halvane::sim
