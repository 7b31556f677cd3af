#pragma once
// Moved: SplitString and DecodeHexEscapes live in base/TextScan.h, the
// browser start in platform/Browser.h. This forward remains only for the
// settings reader's include until it names base/TextScan.h.
#include "base/TextScan.h"
