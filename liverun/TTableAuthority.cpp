#include "liverun/TTableAuthority.h"

#include "live/RegistrableDomain.h"

namespace halvane::liverun {

std::string TTableAuthority::NameOf(std::string_view url) const { return live::HostOfUrl(url); }

void TTableAuthority::Lookup(std::vector<std::string> hosts, TDone done) {
  TAuthorityAnswer answer;
  for (const std::string& host : hosts) {
    if (const std::optional<int> figure = FTable.Lookup(host, live::RegistrableDomain(host))) {
      answer.Figures[host] = *figure;
    }
  }
  // A damaged index is rebuilt as it is read; the run says so once.
  answer.Note = FTable.Index().DamageReport();
  done(std::move(answer));
}

}  // namespace halvane::liverun
