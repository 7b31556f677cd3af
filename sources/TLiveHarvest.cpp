#include "sources/TLiveHarvest.h"

#include "base/TextScan.h"
#include "live/RegistrableDomain.h"

namespace halvane::sources {

TLiveHarvest::TLiveHarvest(std::string_view engineUrl, std::size_t maxAddresses)
    : FEngineHost(live::HostOfUrl(engineUrl)), FMax(maxAddresses) {}

bool TLiveHarvest::Acceptable(std::string_view url) const {
  if (url.empty() || url.size() > kMaxAddressBytes) return false;
  for (const char c : url) {
    // Blanks and control bytes make no address a client should send.
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  }
  if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) return false;
  const std::string host = live::HostOfUrl(url);
  return !host.empty() && host != FEngineHost;
}

std::size_t TLiveHarvest::Add(const std::vector<std::string>& urls) {
  std::size_t added = 0;
  for (const std::string& url : urls) {
    if (Full()) break;
    if (Acceptable(url) && FUrls.Add(url)) ++added;
  }
  return added;
}

}  // namespace halvane::sources
