#pragma once
// halvane-rank's usage and its --help text.
#include <string>
#include <vector>

namespace halvane::rank {

// Printed after a bad command line.
inline constexpr const char* kRankUsage =
    "usage: halvane-rank [--cache DIR] index TABLE\n"
    "       halvane-rank [--cache DIR] lookup TABLE DOMAIN...\n"
    "       halvane-rank test-page FILE [DOMAIN] [--url ADDRESS]\n"
    "       halvane-rank download [--sources FILE] [OUT]\n"
    "TABLE: an authority table (CSV) or a Tranco list (CSV or zip)\n";

// Whether "--help" or "-h" is anywhere among args.
bool WantsRankHelp(const std::vector<std::string>& args);
std::string RankHelpText();

}  // namespace halvane::rank
