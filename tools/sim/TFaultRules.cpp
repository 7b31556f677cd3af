#include "TFaultRules.h"

#include "SimText.h"

namespace halvane::sim {

std::string TFaultRules::Replace(std::string_view lines) {
  std::vector<TRule> rules;
  int lineNo = 0;
  for (const std::string_view raw : SplitAt(lines, '\n')) {
    const std::string_view line = TrimControl(raw);
    ++lineNo;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) {
      return "rule line " + std::to_string(lineNo) + ": expected <match> <faults>";
    }
    std::string error;
    const auto fault = ParseFault(TrimControl(line.substr(blank + 1)), &error);
    if (!fault) return "rule line " + std::to_string(lineNo) + ": " + error;
    rules.push_back({std::string(line.substr(0, blank)), *fault});
  }
  const std::lock_guard lock(mutex_);
  rules_.swap(rules);
  return {};
}

void TFaultRules::Clear() {
  const std::lock_guard lock(mutex_);
  rules_.clear();
}

std::optional<TFault> TFaultRules::Take(std::string_view address) {
  const std::lock_guard lock(mutex_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (it->fault.tlsBadCert || !ContainsText(address, it->match)) continue;
    TFault fault = it->fault;
    if (it->fault.count > 0 && --it->fault.count == 0) rules_.erase(it);
    return fault;
  }
  return std::nullopt;
}

bool TFaultRules::TakeBadCertificate(std::string_view connectionAddress) {
  const std::lock_guard lock(mutex_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (!it->fault.tlsBadCert || !ContainsText(connectionAddress, it->match)) continue;
    if (it->fault.count > 0 && --it->fault.count == 0) rules_.erase(it);
    return true;
  }
  return false;
}

std::string TFaultRules::List() const {
  const std::lock_guard lock(mutex_);
  std::string out;
  for (const TRule& r : rules_) {
    out += r.match + ' ' + FormatFault(r.fault);
    if (r.fault.count > 0) out += ",count:" + std::to_string(r.fault.count);
    out += '\n';
  }
  return out;
}

}  // namespace halvane::sim
