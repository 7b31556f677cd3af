// Documents from outside bounded before a view lays them out: the hostile
// shapes (deep tables, many elements, large pages) come out within the
// limits, and ordinary pages come out as they went in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "markup/BoundHtml.h"

namespace halvane::markup {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Repeat(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

// The shape of a bounded document, read strictly: every end tag must close
// the innermost open element, as the bounder promises.
struct TShape {
  std::size_t Depth = 0;
  std::size_t TableDepth = 0;
  std::size_t Elements = 0;
  bool Strict = true;
};

TShape ShapeOf(const std::string& html) {
  static const std::vector<std::string> kVoid = {"br", "img", "hr", "input", "meta", "link"};
  TShape shape;
  std::vector<std::string> open;
  std::size_t tables = 0;
  for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    const std::size_t end = html.find('>', at);
    if (end == std::string::npos) break;
    const bool closing = html[at + 1] == '/';
    std::string name;
    for (std::size_t i = at + (closing ? 2 : 1); i < end && std::isalnum(static_cast<unsigned char>(html[i])); ++i) {
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[i])));
    }
    if (name.empty()) continue;
    if (closing) {
      if (open.empty() || open.back() != name) shape.Strict = false;
      if (!open.empty()) {
        if (open.back() == "table") --tables;
        open.pop_back();
      }
      continue;
    }
    ++shape.Elements;
    if (std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end() || html[end - 1] == '/') continue;
    open.push_back(name);
    if (name == "table") ++tables;
    shape.Depth = std::max(shape.Depth, open.size());
    shape.TableDepth = std::max(shape.TableDepth, tables);
  }
  return shape;
}

TEST(BoundHtml, TablesNestedThousandsDeepAreFlattened) {
  const std::string html = Repeat("<table><tr><td>", 3000) + "core" + Repeat("</td></tr></table>", 3000);
  const std::string bounded = BoundHtml(html);
  const TShape shape = ShapeOf(bounded);
  EXPECT_TRUE(shape.Strict);
  EXPECT_LE(shape.Depth, 64u);
  EXPECT_LE(shape.TableDepth, 8u);
  EXPECT_THAT(bounded, HasSubstr("core"));
  // Unclosed, the same.
  const TShape unclosed = ShapeOf(BoundHtml(Repeat("<table><tr><td><div><span>", 3000)));
  EXPECT_TRUE(unclosed.Strict);
  EXPECT_LE(unclosed.Depth, 64u);
}

TEST(BoundHtml, TableCellsAreBoundedAcrossAllTables) {
  const std::string html = "<table>" + Repeat("<tr>" + Repeat("<td>x", 20), 400) + "</table>";
  const std::string bounded = BoundHtml(html);
  const TShape shape = ShapeOf(bounded);
  EXPECT_EQ(shape.Elements, 1u + 1000u);
  EXPECT_TRUE(shape.Strict);
  EXPECT_EQ(std::count(bounded.begin(), bounded.end(), 'x'), 8000);
}

TEST(BoundHtml, ElementCountIsBoundedAndTheTextKept) {
  const std::string html = Repeat("<div>x</div>", 100000);
  const std::string bounded = BoundHtml(html);
  EXPECT_EQ(ShapeOf(bounded).Elements, 10000u);
  EXPECT_EQ(std::count(bounded.begin(), bounded.end(), 'x'), 100000);
}

TEST(BoundHtml, LargeDocumentIsCutWithANotice) {
  const std::string html = "<html><body><p>" + std::string(8 << 20, 'a') + "</p></body></html>";
  const std::string bounded = BoundHtml(html);
  EXPECT_LE(bounded.size(), (256u << 10) + 64 * 35 + kCutNotice.size());
  EXPECT_THAT(bounded, EndsWith(std::string("</p></body></html>") + std::string(kCutNotice)));
  EXPECT_TRUE(ShapeOf(bounded).Strict);
  // Never inside a tag.
  THtmlLimits small;
  small.MaxBytes = 20;
  EXPECT_EQ(BoundHtml("<p>0123456789<a href=\"http://example.com/\">x</a></p>", small),
            "<p>0123456789</p>" + std::string(kCutNotice));
}

TEST(BoundHtml, LongWordsGetABlankOutsideEntitiesAndCharacters) {
  const std::string bounded = BoundHtml("<p>" + std::string(1000, 'w') + "</p>");
  EXPECT_EQ(bounded, "<p>" + Repeat(std::string(256, 'w') + " ", 3) + std::string(232, 'w') + "</p>");
  // Not inside "&amp;" nor inside the two bytes of an "é" in UTF-8.
  const std::string entity = BoundHtml(std::string(254, 'w') + "&amp;x");
  EXPECT_EQ(entity, std::string(254, 'w') + "&amp; x");
  const std::string utf8 = BoundHtml(std::string(255, 'w') + "\xc3\xa9x");
  EXPECT_EQ(utf8, std::string(255, 'w') + "\xc3\xa9 x");
  // Tags do not end a word; blanks do.
  EXPECT_EQ(BoundHtml(Repeat("ab<b>cd</b> ", 100)), Repeat("ab<b>cd</b> ", 100));
}

TEST(BoundHtml, ABlankInRawTextNeverMakesAnEndTag) {
  // "</script-" ends nothing, but a blank after "</script" would: the blank
  // goes one byte later, so bounding the result again changes nothing.
  THtmlLimits limits;
  limits.MaxWord = 10;
  const std::string page = "<script>" + std::string(2, 'x') + "</script-><<<<<<<<<<</script>";
  const std::string bounded = BoundHtml(page, limits);
  EXPECT_EQ(bounded, "<script>xx</script- ><<<<<<<<< <</script>");
  EXPECT_EQ(BoundHtml(bounded, limits), bounded);
}

TEST(BoundHtml, AnEndTagIsWrittenByItsNameWhateverItCarries) {
  // The room for an element's end tag is kept when it starts; an end tag
  // that runs on with other bytes must not take more.
  THtmlLimits limits;
  limits.MaxBytes = 40;
  const std::string bounded = BoundHtml("<b>x</b" + std::string(500, '\xff') + ">y", limits);
  EXPECT_EQ(bounded, "<b>x</b>y");
}

TEST(BoundHtml, OrdinaryPagesComeBackUnchanged) {
  const std::string page =
      "<html><head><title>Hi</title><style>p > b { color: red }</style></head><body>"
      "<h1>Welcome</h1><p>Type a keyword &amp; press <b>Search</b>.<br>Next line<img src=\"x.gif\"/></p>"
      "<table border=\"1\"><tr><td>a</td><td><a href=\"http://x/?a=1&b=2\" title='1 > 0'>b</a></td></tr></table>"
      "<script>if (a < b && c > d) go();</script></body></html>";
  EXPECT_EQ(BoundHtml(page), page);
}

TEST(BoundHtml, ElementsEndedWithoutEndTagsAreNotTakenAsNesting) {
  // Old-style pages leave <p>, <li>, <td> and <tr> open; the next sibling
  // ends them, so hundreds of them are no deep nesting.
  const std::string paragraphs = "<body>" + Repeat("<p>para", 300) + "</body>";
  const std::string bounded = BoundHtml(paragraphs);
  EXPECT_EQ(std::count(bounded.begin(), bounded.end(), '<'), 2 + 300 + 300);
  EXPECT_LE(ShapeOf(bounded).Depth, 2u);
  const std::string list = "<ul>" + Repeat("<li>item", 300) + "</ul>";
  EXPECT_EQ(ShapeOf(BoundHtml(list)).Elements, 301u);
  const std::string table = "<table>" + Repeat("<tr><td>a<td>b", 200) + "</table>";
  const TShape shape = ShapeOf(BoundHtml(table));
  EXPECT_EQ(shape.Elements, 601u);
  EXPECT_LE(shape.Depth, 3u);
  EXPECT_TRUE(shape.Strict);
}

TEST(BoundHtml, MarkupThatIsNotAnElement) {
  EXPECT_EQ(BoundHtml("a < b <!-- hidden --> c <!DOCTYPE html>d"), "a &lt; b  c d");
  EXPECT_EQ(BoundHtml("text<div class=\"unfinished"), "text");
  EXPECT_EQ(BoundHtml("x</div>y"), "xy");  // closes nothing that is open
  EXPECT_THAT(BoundHtml(std::string("<p>\0zero</p>", 12)), HasSubstr(std::string("\0zero", 5)));
}

}  // namespace
}  // namespace halvane::markup
