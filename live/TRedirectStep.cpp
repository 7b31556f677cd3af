#include "live/TRedirectStep.h"

#include "live/LiveFailure.h"
#include "live/TTransfer.h"
#include "live/UrlForm.h"

namespace halvane::live {

bool TRedirectStep::IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

TRedirectStep::TNext TRedirectStep::Follow(const TTransfer& t, const std::string& location) const {
  TNext next;
  if (static_cast<int>(t.Hops().size()) >= FMaxRedirects) {
    const auto first = SplitUrl(t.Hops().empty() ? t.Address() : t.Hops().front());
    next.Refusal = Failure(t, TLiveError::TooManyRedirects,
                           "too many redirects (more than " + std::to_string(FMaxRedirects) + ") from " +
                               (first ? first->Host : t.Url().Host));
    return next;
  }
  auto target = ResolveAddress(t.Address(), location);
  auto url = target ? SplitUrl(*target) : std::nullopt;
  if (!url) {
    next.Refusal = Failure(t, TLiveError::Other,
                           t.Url().Host + " redirected to " + ShownAddress(location) +
                               ", an address that is not http or https");
    return next;
  }
  if (t.CarriesSecret() && url->Origin() != t.Url().Origin()) {
    next.Refusal = Failure(t, TLiveError::UnsafeRedirect,
                           t.Url().Host + " redirected to " + ShownAddress(*target) +
                               ", another site; the request carries a key, so the redirect was not followed");
    return next;
  }
  next.Address = std::move(*target);
  next.Url = std::move(*url);
  return next;
}

}  // namespace halvane::live
