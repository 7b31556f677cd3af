#include "sources/TTableAuthority.h"

#include "live/RegistrableDomain.h"

namespace halvane::sources {

std::string TTableAuthority::NameOf(std::string_view url) const { return live::HostOfUrl(url); }

void TTableAuthority::Lookup(std::vector<std::string> hosts, TDone done) {
  liverun::TAuthorityAnswer answer;
  for (const std::string& host : hosts) {
    answer.Figures[host] = FTable.Lookup(host, live::RegistrableDomain(host));
  }
  // A damaged index is rebuilt as it is read; the run says so once.
  answer.Note = FTable.Index().DamageReport();
  done(std::move(answer));
}

}  // namespace halvane::sources
