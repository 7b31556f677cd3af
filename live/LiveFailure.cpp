#include "live/LiveFailure.h"

#include "base/AddressText.h"
#include "live/TTransfer.h"

namespace halvane::live {

namespace {
constexpr std::size_t kLongestShownAddress = 200;
}

TLiveResponse Failure(TLiveError error, std::string message) {
  TLiveResponse r;
  r.Error = error;
  r.Message = std::move(message);
  return r;
}

TLiveResponse Failure(const TTransfer& t, TLiveError error, std::string message) {
  TLiveResponse r = Failure(error, std::move(message));
  r.FinalUrl = t.Address();
  r.Hops = t.Hops();
  return r;
}

std::string PrivateAddressMessage(const std::string& host, const std::string& address) {
  return host + (host == address ? "" : " (" + address + ")") +
         " is a private address; set [network] private-addresses = allow in the sources file to reach it";
}

std::string DescribeSize(std::int64_t bytes) {
  constexpr std::int64_t kKiB = 1024, kMiB = 1024 * 1024;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
  return std::to_string(bytes) + " bytes";
}

std::string ShownAddress(std::string_view address) {
  std::string shown = WithoutUserInfo(address.substr(0, kLongestShownAddress));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return address.size() > kLongestShownAddress ? shown + "..." : shown;
}

}  // namespace halvane::live
