#pragma once
// The words a user reads when a live service gives no usable answer: who
// failed ("SearXNG at searx.example.org"), what happened and, where it helps,
// what to do about it.
#include <string>
#include <string_view>

#include "live/TLiveResponse.h"

namespace halvane::sources {

// "<service> at <host[:port]>" for the service at url.
std::string ServiceLabel(std::string_view service, std::string_view url);

// ", retry after 12 s" from the answer's Retry-After header, or "".
std::string RetryAfterText(const live::TLiveResponse& response);

// Why response is no answer to use, for the statuses and network errors all
// services share: "SearXNG at h: timed out after 30 s", "... is limiting
// requests (HTTP 429), retry after 12 s", "... failed on its side (HTTP 502),
// try again later", "... answered HTTP 404". detail (the service's own
// explanation, if any) is added after a colon. "" for a 2xx answer.
std::string DescribeFailure(std::string_view label, const live::TLiveResponse& response,
                            std::string_view detail = {});

// A wait for a user: "45 s", "3 minutes", "5 hours", "16 days" (rounded up).
std::string WaitInWords(long seconds);

// text with control bytes and bytes past ASCII as "?", cut at 200 bytes:
// what a service writes is shown, never trusted.
std::string ShownText(std::string_view text);

}  // namespace halvane::sources
