#pragma once
// What a search run of the program against the simulated web must list,
// derived from the model alone (no server, no page text).
#include <optional>
#include <string_view>
#include <vector>

#include "TExpectedRow.h"
#include "TSimWeb.h"

namespace halvane::sim {

// The row for one harvested address, or nothing when the program drops it
// (not a page of the web, not WordPress, or a nofollow marker). userDomain is
// taken as the program takes its domain box: trimmed and lower-cased.
std::optional<TExpectedRow> ExpectedRow(const TSimWeb& web, std::string_view address,
                                        std::string_view userDomain);

// The rows of a run for keyword at depth index depthIndex (0 for "100 items"
// ... 9 for "1000 items"; -1 for none), in list order.
std::vector<TExpectedRow> ExpectedRows(const TSimWeb& web, std::string_view keyword, int depthIndex,
                                       std::string_view userDomain);

}  // namespace halvane::sim
