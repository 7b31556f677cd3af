#pragma once
// The store's clock: UTC seconds now. Tests hand in their own.
#include <functional>
#include <string>

#include "store/StoreRecords.h"

namespace halvane::store {

using TClock = std::function<TTime()>;

TTime SystemTime();

// "2026-12-11 14:05" (UTC), as messages show a stored time.
std::string TimeText(TTime time);

}  // namespace halvane::store
