#pragma once
// A cheap look over a page's tags before the parser sees it. libxml2's HTML
// parser checks each attribute of a tag against every one before it, so a
// tag with tens of thousands of attributes costs seconds; this scan finds
// such pages in one pass.
#include <cstddef>
#include <string_view>

namespace halvane::pagetest {

// True when the page's crowded tags (more than a few dozen attribute-like
// tokens) would cost the parser's duplicate check more than about a tenth of
// a second. Ordinary pages never come near.
bool HasCrowdedTags(std::string_view html) noexcept;

}  // namespace halvane::pagetest
