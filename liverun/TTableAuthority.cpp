#include "liverun/TTableAuthority.h"

namespace halvane::liverun {

void TTableAuthority::Lookup(std::vector<std::string> domains, TDone done) {
  TAuthorityAnswer answer;
  for (const std::string& domain : domains) {
    // The run asks registrable domains, or a host that has none.
    if (const std::optional<int> figure = FTable.FindForHost(domain)) answer.Figures[domain] = *figure;
  }
  done(std::move(answer));
}

}  // namespace halvane::liverun
