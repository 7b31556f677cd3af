#pragma once
// What became of one harvested address, and the words for it.
#include <string>
#include <string_view>

namespace halvane::liverun {

// Why a harvested address has no row of its own.
inline constexpr std::string_view kReasonNofollow = "nofollow";
inline constexpr std::string_view kReasonNotWordPress = "not WordPress";
inline constexpr std::string_view kReasonDuplicate = "duplicate";
inline constexpr std::string_view kReasonRobots = "robots.txt";
inline constexpr std::string_view kReasonFailed = "failed: ";  // and the error in words
inline constexpr std::string_view kReasonBlacklisted = "blacklisted";
inline constexpr std::string_view kReasonJudgedRecently = "judged recently";
inline constexpr std::string_view kResultKept = "kept";

// What became of one harvested address.
struct TPageOutcome {
  std::string Keyword;
  std::string Address;       // as harvested, in its one form
  std::string FinalAddress;  // after redirects ("" without an answer)
  std::string Result;        // kResultKept, or the reason it has no row
  std::string Footprint = {};  // "" for the plain query
};

}  // namespace halvane::liverun
