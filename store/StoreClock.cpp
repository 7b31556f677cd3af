#include "store/StoreClock.h"

#include <ctime>

namespace halvane::store {

TTime SystemTime() { return static_cast<TTime>(std::time(nullptr)); }

std::string TimeText(TTime time) {
  const std::time_t seconds = static_cast<std::time_t>(time);
  std::tm parts{};
  if (!gmtime_r(&seconds, &parts)) return "-";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts);
  return text;
}

}  // namespace halvane::store
