#pragma once
// halvane-fetch's usage lines and its --help text.
#include <string>

namespace halvane {

// Printed after a bad command line of the program's own client.
inline constexpr const char* kFetchUsage =
    "usage: halvane-fetch [-o FILE] URL [URL ...]\n"
    "       halvane-fetch --post NAME=VALUE [--post NAME=VALUE ...] URL\n";
// The live client's command line, after "usage: ".
inline constexpr const char* kLiveFetchUsage =
    "halvane-fetch --live [--ca-file FILE] [--proxy ADDR]... [--parallel N] [-o FILE] URL [URL ...]\n";

// Whether "--help" or "-h" is anywhere on the command line.
bool WantsFetchHelp(int argc, char** argv);
std::string FetchHelpText();

}  // namespace halvane
