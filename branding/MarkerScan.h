#pragma once
// Moved to base/: this forward keeps the live sources' include working
// until they name "base/MarkerScan.h" themselves.
#include "base/MarkerScan.h"
