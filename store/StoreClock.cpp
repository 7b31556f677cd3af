#include "store/StoreClock.h"

#include <ctime>

namespace halvane::store {

TTime SystemTime() { return static_cast<TTime>(std::time(nullptr)); }

}  // namespace halvane::store
