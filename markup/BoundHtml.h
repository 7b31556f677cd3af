#pragma once
// Bounds an HTML document from outside (a welcome page, a news body) before
// it reaches a view: the views lay out deep nesting, many elements and large
// documents in time and memory that grow much faster than the document (a
// table nested 3,000 deep overflows the stack). Qt-free.
#include <cstddef>
#include <string>
#include <string_view>

namespace halvane::markup {

struct THtmlLimits {
  // Bytes of the document kept; the rest is cut at a tag boundary and a
  // notice says so.
  std::size_t MaxBytes = 256 * 1024;
  // Open elements one inside another; deeper start and end tags are
  // dropped, their text is kept (the markup is flattened).
  std::size_t MaxDepth = 64;
  // Tables one inside another, each of which nests rows and cells.
  std::size_t MaxTableDepth = 3;
  // Rows and cells of all tables together: the view's table layout is the
  // slowest part of all.
  std::size_t MaxTableCells = 1000;
  // Tags kept in all; past them every tag is dropped, the text kept.
  std::size_t MaxElements = 10000;
  // Bytes of text without a blank; a longer run gets one.
  std::size_t MaxWord = 256;
};

// The document within limits. Every tag of the result is a tag of html,
// except end tags added for elements that html leaves open or ends
// implicitly (<li>, <td>, <p>, ...), and end tags are written as "</name>";
// comments and declarations are dropped.
// So a well-formed document within the limits comes back unchanged. The
// result holds at most MaxBytes plus the end tags of MaxDepth elements plus
// the notice. Time is linear in the size of html.
std::string BoundHtml(std::string_view html, const THtmlLimits& limits = {});

// The notice appended to a document that was cut.
inline constexpr std::string_view kCutNotice = "<p>[The rest of this page is too large to show.]</p>";

}  // namespace halvane::markup
