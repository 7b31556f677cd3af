#pragma once
// halvane-rank's exit codes, one table for every verb and the help text.
namespace halvane::rank {

inline constexpr int kRankDone = 0;
// A table, page or index could not be read or written, a table is broken, a
// lookup left figures out, or the download failed.
inline constexpr int kRankFailed = 1;
// A command line it does not understand, a bad sources file, no cache folder,
// or a download target that is no regular file.
inline constexpr int kRankBadArguments = 2;

}  // namespace halvane::rank
