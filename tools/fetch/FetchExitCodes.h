#pragma once
// halvane-fetch's exit codes, for both clients and the help text.
namespace halvane {

inline constexpr int kFetchSucceeded = 0;     // every request answered 2xx
inline constexpr int kFetchFailed = 1;        // a request failed or answered otherwise, or the output failed
inline constexpr int kFetchBadArguments = 2;  // a command line it does not understand

}  // namespace halvane
