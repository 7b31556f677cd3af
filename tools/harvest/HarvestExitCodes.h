#pragma once
// halvane-harvest's exit codes, one table for every verb and its help text.
namespace halvane::harvest {

inline constexpr int kHarvestFinished = 0;
inline constexpr int kHarvestSourceFailed = 1;  // or the output or the store could not be written; recheck: a page could not be checked
inline constexpr int kHarvestBadArguments = 2;  // or a bad sources file
inline constexpr int kHarvestLinksLost = 3;     // recheck: a link went missing or turned nofollow
inline constexpr int kHarvestInterrupted = 130; // Ctrl-C: the rows so far are written

}  // namespace halvane::harvest
