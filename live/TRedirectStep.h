#pragma once
// One redirect hop and its policy: within the hop limit, to an http or
// https address in its one form (resolved against the current hop as RFC
// 3986 does), and never off its origin when the request carries a key.
// The client follows redirects itself, hop by hop; this says where the
// next hop goes, or what the request ends with instead.
//
// Threads: used by the live client's worker thread only.
#include <optional>
#include <string>

#include "live/TLiveResponse.h"
#include "live/UrlParts.h"

namespace halvane::live {

class TTransfer;

class TRedirectStep {
 public:
  explicit TRedirectStep(int maxRedirects) : FMaxRedirects(maxRedirects) {}

  // 301, 302, 303, 307 and 308.
  static bool IsRedirect(long status);

  struct TNext {
    std::optional<TLiveResponse> Refusal;  // set: the request ends with it
    std::string Address;  // else: the next hop, in the one form
    TUrlParts Url;
  };
  // Where t goes after an answer that redirected it to location.
  TNext Follow(const TTransfer& t, const std::string& location) const;

 private:
  int FMaxRedirects;
};

}  // namespace halvane::live
