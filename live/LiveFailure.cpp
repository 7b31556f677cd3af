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

std::string ShownAddress(std::string_view address) {
  std::string shown = WithoutUserInfo(address.substr(0, kLongestShownAddress));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return address.size() > kLongestShownAddress ? shown + "..." : shown;
}

}  // namespace halvane::live
