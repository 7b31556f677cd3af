#pragma once
// What the store keeps, as plain values. Times are UTC seconds since 1970;
// a figure the run could not learn is an empty optional.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halvane::store {

using TTime = std::int64_t;

// A page judged at least once, known by its one form of address.
struct TPageRecord {
  std::string Address;       // the key
  std::string FinalAddress;  // where the page was found in the end
  std::string Host;          // ASCII, lower case
  TTime FirstSeen = 0;
  TTime LastJudged = 0;
};

// The codes below are written to the store: never renumber them.
enum class TCommentLinks : std::uint8_t { Followed = 0, Mixed = 1, None = 2 };

// One judgement of one page. Either the page has a row (Reason empty) and the
// figures say what the row showed, or Reason says why it has none
// ("nofollow", "not WordPress", "failed: HTTP 404", ...).
struct TVerdictRecord {
  std::string Address;
  std::string FinalAddress;  // empty: the same as Address
  std::string Host;
  std::int64_t RunId = 0;    // 0: judged outside a recorded run
  TTime JudgedAt = 0;        // set by the store when recorded
  std::string Reason;
  std::optional<bool> CommentsOpen;
  std::optional<TCommentLinks> CommentLinks;
  std::optional<bool> HasYourLink;
  std::optional<std::string> YourLinkRel;  // the rel attribute of the user's link
  std::optional<std::string> Anchor;
  std::optional<int> Authority;
  std::optional<std::int64_t> TrafficRank;

  bool operator==(const TVerdictRecord&) const = default;
};

// A page and its latest verdict, as history lists them.
struct THistoryEntry {
  TPageRecord Page;
  TVerdictRecord Verdict;
};

struct TRunCounts {
  std::int64_t Harvested = 0;
  std::int64_t Judged = 0;
  std::int64_t Rows = 0;
  std::int64_t Skipped = 0;  // judged recently and left out (--new-only), or blacklisted
  bool operator==(const TRunCounts&) const = default;
};

struct TRunRecord {
  std::int64_t Id = 0;
  std::vector<std::string> Keywords;
  std::vector<std::string> Footprints;
  std::string Engine;
  TTime Started = 0;
  std::optional<TTime> Ended;  // empty while running, or when the run was killed
  TRunCounts Counts;
};

struct TBlacklistEntry {
  std::string Domain;  // ASCII, lower case; covers its subdomains
  TTime Added = 0;
};

enum class TLinkOrigin : std::uint8_t { Found = 0, AddedByHand = 1 };
enum class TLinkState : std::uint8_t { PresentFollowed = 0, PresentNofollow = 1, Missing = 2, Gone = 3, Failed = 4 };

// What a recheck found on a page where the user left a link.
struct TLinkCheck {
  TLinkState State = TLinkState::Failed;
  int HttpStatus = 0;  // Gone: the page's status (404, 410, ...)
  std::string Reason;  // Failed: the error in words
  TTime CheckedAt = 0; // set by the store when recorded
  bool operator==(const TLinkCheck&) const = default;
};

struct TUserLink {
  std::string Address;
  std::string Host;
  TLinkOrigin Origin = TLinkOrigin::AddedByHand;
  TTime Added = 0;
  std::optional<TLinkCheck> LastCheck;
};

struct TStoreCounts {
  std::int64_t Pages = 0;
  std::int64_t Verdicts = 0;
  std::int64_t Runs = 0;
  std::int64_t Blacklisted = 0;
  std::int64_t Links = 0;
  bool operator==(const TStoreCounts&) const = default;
};

}  // namespace halvane::store
