#pragma once
// The modern page test: judges one page's HTML with libxml2's HTML parser,
// streaming (no document tree), so hostile markup costs bounded time and
// memory.
#include <cstddef>
#include <string_view>

#include "pagetest/TPageContext.h"
#include "pagetest/TPageVerdict.h"

namespace halvane::pagetest {

// Pages longer than this are judged on their first kMaxPageBytes bytes.
inline constexpr std::size_t kMaxPageBytes = std::size_t{32} << 20;

// Elements nested deeper than this stop the test: no page a person reads
// nests so deep, and the parser's end-tag recovery grows with the depth.
inline constexpr std::size_t kMaxElementDepth = 4096;

// The anchor of the user's link is kept to this many bytes (a cell of the
// results list, not a page of text).
inline constexpr std::size_t kMaxAnchorBytes = 2048;

// Judges html as the page the context describes.
// Thread-safe; never throws on any input bytes (only std::bad_alloc).
TPageVerdict TestPage(std::string_view html, const TPageContext& context);

// The same with only the user's domain known (the page's own host then
// comes from its canonical link), for callers that know no more.
TPageVerdict TestModernPage(std::string_view html, std::string_view userDomain);

// The column texts of a verdict: "Open"/"Closed", "Yes"/"No", and
// "Followed"/"Mixed"/"None yet" ("nofollow" for a page without a row).
std::string_view CommentsCell(const TPageVerdict& verdict) noexcept;
std::string_view YourLinkCell(const TPageVerdict& verdict) noexcept;
std::string_view CommentLinksCell(const TPageVerdict& verdict) noexcept;

}  // namespace halvane::pagetest
