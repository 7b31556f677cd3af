#include "pagetest/TagCost.h"

#include "base/TextScan.h"

#include <cstdint>

#include "pagetest/PageText.h"

namespace halvane::pagetest {

namespace {

// Tags with at most this many tokens cost nothing worth counting.
constexpr std::uint64_t kFreeTokens = 64;
// Comparisons allowed over all crowded tags (about 6 ns each).
constexpr std::uint64_t kComparisonBudget = std::uint64_t{1} << 24;

bool IsAsciiLetter(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Index after the next "</name" (any case) from `from`, or npos.
std::size_t SkipRawText(std::string_view html, std::size_t from, std::string_view name) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
    if (StartsWithNoCase(html.substr(at + 2), name)) return at + 2 + name.size();
  }
  return std::string_view::npos;
}

}  // namespace

bool HasCrowdedTags(std::string_view html) noexcept {
  std::uint64_t comparisons = 0;
  std::size_t i = 0;
  while (i < html.size()) {
    i = html.find('<', i);
    if (i == std::string_view::npos || i + 1 >= html.size()) return false;
    if (html.compare(i, 4, "<!--") == 0) {
      i = html.find("-->", i + 4);
      if (i == std::string_view::npos) return false;
      i += 3;
      continue;
    }
    if (!IsAsciiLetter(html[i + 1])) {
      ++i;
      continue;
    }
    // A start tag: its name, then tokens up to the '>' outside quoted values.
    std::size_t k = i + 1;
    while (k < html.size() && !IsHtmlSpace(html[k]) && html[k] != '>' && html[k] != '/') ++k;
    const std::string_view name = html.substr(i + 1, k - i - 1);
    std::uint64_t tokens = 0;
    bool inToken = false;
    char previous = ' ';
    for (; k < html.size() && html[k] != '>'; ++k) {
      const char c = html[k];
      if ((c == '"' || c == '\'') && previous == '=') {
        k = html.find(c, k + 1);
        if (k == std::string_view::npos) return false;
        previous = c;
        inToken = true;
        continue;
      }
      if (IsHtmlSpace(c)) {
        inToken = false;
        continue;
      }
      if (!inToken) ++tokens;
      inToken = true;
      previous = c;
    }
    if (tokens > kFreeTokens) {
      comparisons += tokens * tokens / 2;
      if (comparisons > kComparisonBudget) return true;
    }
    if (k >= html.size()) return false;
    i = k + 1;
    if (EqualsNoCase(name, "script") || EqualsNoCase(name, "style")) {
      i = SkipRawText(html, i, name);
      if (i == std::string_view::npos) return false;
    }
  }
  return false;
}

}  // namespace halvane::pagetest
