#pragma once
// The store's clock: UTC seconds now. Tests hand in their own.
#include <functional>

#include "store/StoreRecords.h"

namespace halvane::store {

using TClock = std::function<TTime()>;

TTime SystemTime();

}  // namespace halvane::store
