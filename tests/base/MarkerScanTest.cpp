#include "base/MarkerScan.h"

#include <gtest/gtest.h>

#include <string>

namespace halvane {
namespace {

TEST(ExtractBetween, ReadsValueAndKeepsClosingMarkerInFront) {
  const std::string text = "x<%%BranderCode%%>17<%%/BranderCode%%>y";
  for (const char* open : {"<%%BranderCode%%>", "<%%brandercode%%>"}) {
    std::string_view doc = text;
    const char* close = open[3] == 'B' ? "<%%/BranderCode%%>" : "<%%/brandercode%%>";
    EXPECT_EQ(ExtractBetween(doc, open, close), "17");
    EXPECT_EQ(doc, "<%%/BranderCode%%>y");
  }
}

TEST(ExtractBetween, MissingMarkers) {
  const std::string text = "abc<open>value";
  std::string_view doc = text;
  EXPECT_EQ(ExtractBetween(doc, "<nothere>", "</x>"), "");
  EXPECT_EQ(doc, text);
  EXPECT_EQ(ExtractBetween(doc, "<OPEN>", "</close>"), "");
  EXPECT_EQ(doc, "value");
}

TEST(ExtractBetween, ScanOnlyMovesForward) {
  const std::string text =
      "<%%BranderCode%%>C<%%/BranderCode%%>\r\n<%%BranderType%%>Gold<%%/BranderType%%>\r\n";
  std::string_view doc = text;
  EXPECT_EQ(ExtractBetween(doc, "<%%BranderType%%>", "<%%/BranderType%%>"), "Gold");
  EXPECT_EQ(ExtractBetween(doc, "<%%BranderCode%%>", "<%%/BranderCode%%>"), "");
  EXPECT_EQ(doc, "<%%/BranderType%%>\r\n");
}

TEST(ExtractBetween, ClosingMarkerServesAsNextOpeningMarker) {
  const std::string text = "<a class=x href='http://d/'>t</a>";
  std::string_view doc = text;
  ExtractBetween(doc, "<a ", "href='");
  EXPECT_EQ(ExtractBetween(doc, "href='", "'"), "http://d/");
  EXPECT_EQ(ExtractBetween(doc, ">", "</a>"), "t");
}

TEST(FindNoCase, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(FindNoCase("xxWP-CONTENTxx", "wp-content"), 2u);
  EXPECT_EQ(FindNoCase("\xC9t\xE9", "\xE9"), 2u);  // 0xC9 is not a fold of 0xE9
  EXPECT_EQ(FindNoCase("abc", "abcd"), std::string_view::npos);
  EXPECT_EQ(FindNoCase("nnnnnnnnNext<", "next<"), 8u);
  EXPECT_EQ(FindNoCase("abc", "", 3), 3u);
  EXPECT_EQ(FindNoCase("abc", "a", 4), std::string_view::npos);
}

TEST(EncodeForUrl, SpecifiedExamples) {
  EXPECT_EQ(EncodeForUrl(""), "");
  EXPECT_EQ(EncodeForUrl("a b"), "a+b");
  EXPECT_EQ(EncodeForUrl("web 2.0"), "web+%32.%30");
  EXPECT_EQ(EncodeForUrl("\xE9"), "%E9");
  EXPECT_EQ(EncodeForUrl(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(EncodeForUrl("\"*-.@_+/"), "%22*-.@_%2B%2F");
}

}  // namespace
}  // namespace halvane
