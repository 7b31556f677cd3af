#include "sources/TLiveHarvest.h"

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
  auto startsNoCase = [url](std::string_view prefix) {
    if (url.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
      const char c = url[i];
      if (((c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c) != prefix[i]) return false;
    }
    return true;
  };
  if (!startsNoCase("http://") && !startsNoCase("https://")) return false;
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
