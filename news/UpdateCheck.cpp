#include "news/UpdateCheck.h"

#include <algorithm>

namespace halvane {
namespace {

struct Decimal {
  std::string_view whole;     // no leading zeros
  std::string_view fraction;  // no trailing zeros
};

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Anything that is not a plain decimal number reads as 0 (both parts empty).
Decimal ReadDecimal(std::string_view text) {
  const std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (!AllDigits(whole) || !AllDigits(fraction) || (whole.empty() && fraction.empty())) return {};
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  return {whole, fraction};
}

// Both parts normalised, so whole parts compare by length then digits, and
// fractions digit by digit (a missing digit is a zero, and a shorter
// fraction that is a prefix of the other is the smaller).
int CompareDecimals(const Decimal& a, const Decimal& b) {
  if (a.whole.size() != b.whole.size()) return a.whole.size() < b.whole.size() ? -1 : 1;
  if (const int c = a.whole.compare(b.whole); c != 0) return c;
  return a.fraction.compare(b.fraction);
}

}  // namespace

bool IsNewerVersion(std::string_view published, std::string_view running) {
  return CompareDecimals(ReadDecimal(published), ReadDecimal(running)) > 0;
}

std::string UpdateQuestionText(std::string_view version) {
  std::string text = "There is a new update: (version ";
  text += version;
  text += ") available for your application!. Do you want download this update now?";
  return text;
}

std::string UpdateCloseQuestionText() {
  return "To update your software the application will close to\n\r"
         "replace some files. Do you want to update now?";
}

std::string UpdateDescriptionAddress(std::string_view baseUrl) {
  return std::string(baseUrl) + std::string(kUpdateFileName);
}

std::string UpdaterParameters(std::string_view baseUrl, std::string_view appVersion) {
  std::string text(baseUrl);
  text += ' ';
  text += appVersion;
  text += " A";
  return text;
}

std::vector<std::string> UpdaterArguments(std::string_view baseUrl, std::string_view appVersion) {
  return {std::string(baseUrl), std::string(appVersion), "A"};
}

}  // namespace halvane
