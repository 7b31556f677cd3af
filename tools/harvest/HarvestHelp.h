#pragma once
// halvane-harvest --help, for the program and each verb.
#include <string>

#include "tools/harvest/HarvestArguments.h"

namespace halvane::harvest {

std::string HelpText(TVerb verb);

}  // namespace halvane::harvest
