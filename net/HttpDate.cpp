#include "HttpDate.h"

#include <array>

#include "HttpText.h"

namespace halvane {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) noexcept {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yoe = year - era * 400;
  const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int MonthOf(std::string_view token) noexcept {
  static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                              "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return 0;
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsNoCase(token.substr(0, 3), kMonths[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool ParseTime(std::string_view token, int& hour, int& minute, int& second) noexcept {
  int values[3] = {0, 0, 0};
  int count = 0;
  std::size_t start = 0;
  while (start <= token.size() && count < 3) {
    const std::size_t end = std::min(token.find(':', start), token.size());
    const auto value = ParseDecimal(token.substr(start, end - start));
    if (!value || *value > 60 || end - start > 2) return false;
    values[count++] = static_cast<int>(*value);
    start = end + 1;
  }
  if (count < 2 || start <= token.size()) return false;
  hour = values[0];
  minute = values[1];
  second = values[2];
  return hour < 24 && minute < 60;
}

}  // namespace

std::optional<std::int64_t> ParseHttpDate(std::string_view text) noexcept {
  int day = 0, month = 0, hour = -1, minute = 0, second = 0;
  std::int64_t year = -1;
  std::size_t start = 0;
  int tokens = 0;
  while (start < text.size() && tokens < 16) {
    const auto isSep = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '-'; };
    while (start < text.size() && isSep(text[start])) ++start;
    std::size_t end = start;
    while (end < text.size() && !isSep(text[end])) ++end;
    const std::string_view token = text.substr(start, end - start);
    start = end;
    if (token.empty()) break;
    ++tokens;
    if (token.find(':') != std::string_view::npos) {
      if (hour >= 0 || !ParseTime(token, hour, minute, second)) return std::nullopt;
    } else if (const auto number = ParseDecimal(token)) {
      if (day == 0 && token.size() <= 2 && *number >= 1 && *number <= 31) {
        day = static_cast<int>(*number);
      } else if (year < 0 && token.size() <= 4) {
        year = *number;
        if (token.size() <= 2) year += year < 70 ? 2000 : 1900;
      } else {
        return std::nullopt;
      }
    } else if (const int m = MonthOf(token); m != 0 && month == 0 && token.size() <= 9) {
      month = m;
    }
    // Week-day names and "GMT"/"UTC" are passed over.
  }
  if (day == 0 || month == 0 || year < 1601 || hour < 0) return std::nullopt;
  static constexpr int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day > kDaysIn[month - 1]) return std::nullopt;
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace halvane
