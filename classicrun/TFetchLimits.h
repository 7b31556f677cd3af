#pragma once
// What each kind of exchange of page retrieval may take. Search pages stay
// governed by Stop alone and are only capped in size; the update check and
// the news requests have no Stop behind them, so they also end when the
// server falls silent or takes too long.
#include <cstdint>

#include "net/THttpLimits.h"

namespace halvane {

struct TFetchLimits {
  // Search result pages, blog pages, rank answers, ranking pages.
  THttpLimits Page{64ll << 20, -1, -1};
  // mainappupdate.inf: a few lines of INI text.
  THttpLimits Update{64 << 10, 30000, 120000};
  // The news list, items and form replies.
  THttpLimits News{1 << 20, 30000, 120000};
};

}  // namespace halvane
