#pragma once
// What a re-check of the user's links finds on each page, and the words the
// command line and the window both say about it.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "live/TLiveResponse.h"
#include "store/StoreRecords.h"

namespace halvane::livesetup {

// One page's result, and the check it replaced in the store (none: the
// page was never checked before).
struct TRecheckLine {
  std::string Address;
  store::TLinkCheck Check;
  std::optional<store::TLinkCheck> Previous;
};

// How a re-check ended.
struct TLinkRecheckSummary {
  std::size_t Pages = 0;  // links read from the store
  // Pages by result, indexed by store::TLinkState.
  std::array<std::size_t, 5> Counts{};
  std::string StoreLocation;
  std::string StoreError;  // reading or recording failed: the store's message
  bool Stopped = false;    // stopped before anything was recorded
  bool NoLinks() const { return Pages == 0 && StoreError.empty() && !Stopped; }
  std::size_t Count(store::TLinkState state) const { return Counts[static_cast<std::size_t>(state)]; }
};

// What the page fetched from address says of the user's link to domain.
store::TLinkCheck CheckLinkOnPage(const live::TLiveResponse& response, const std::string& address,
                                  const std::string& domain);

// "present, followed", "present, nofollow", "missing", "page gone (HTTP 404)",
// "failed: <reason>".
std::string LinkStateText(const store::TLinkCheck& check);

// "first check", "was present, followed (2026-12-04 10:00)", or "" when
// nothing changed.
std::string LinkChangeText(const TRecheckLine& line);

// "12 pages checked: 9 followed, 1 nofollow, 1 missing, 1 gone, 0 failed".
std::string RecheckCountsText(const TLinkRecheckSummary& summary);

// Why nothing was checked, with what to do about it.
std::string NoLinksText(const std::string& storeLocation);

}  // namespace halvane::livesetup
