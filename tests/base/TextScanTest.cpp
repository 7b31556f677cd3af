#include "base/TextScan.h"

#include <gtest/gtest.h>

namespace halvane {
namespace {

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts{"stale"};
  SplitString('^', text, parts);
  return parts;
}

TEST(SplitString, EmptyPartsAndTrailingSeparator) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split(""), V{});
  EXPECT_EQ(Split("a^b"), (V{"a", "b"}));
  EXPECT_EQ(Split("a^"), (V{"a"}));
  EXPECT_EQ(Split("^b"), (V{"", "b"}));
  EXPECT_EQ(Split("a^^b"), (V{"a", "", "b"}));
  EXPECT_EQ(Split("^"), (V{""}));
}

TEST(DecodeHexEscapes, ValidEscapes) {
  EXPECT_EQ(DecodeHexEscapes(""), "");
  EXPECT_EQ(DecodeHexEscapes("a$41b"), "aAb");
  EXPECT_EQ(DecodeHexEscapes("x$4"), "x\x04");
  EXPECT_EQ(DecodeHexEscapes("$4a"), "J");
  EXPECT_EQ(DecodeHexEscapes("%41"), "%41");
  EXPECT_EQ(DecodeHexEscapes("$00$ff"), std::string("\0\xFF", 2));
}

TEST(DecodeHexEscapes, MalformedEscapeEmptiesEverything) {
  for (const char* bad : {"abc$", "$G1", "$4 x", "$ 4", "$-1"}) {
    EXPECT_EQ(DecodeHexEscapes(bad), "") << bad;
  }
}

}  // namespace
}  // namespace halvane

namespace halvane {
namespace {

TEST(TextScanNoCase, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsNoCase("Content-Length", "content-LENGTH"));
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
  EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));  // no code-page folding
  EXPECT_FALSE(EqualsNoCase("[", "{"));        // 0x5B is not 0x7B
  EXPECT_TRUE(ContainsNoCase("gzip, Chunked", "chunked"));
  EXPECT_FALSE(ContainsNoCase("chunk", "chunked"));
  EXPECT_TRUE(ContainsNoCase("x", ""));
  EXPECT_TRUE(StartsWithNoCase("HTTP://a", "http://"));
  EXPECT_EQ(AsciiLowerCase("MiXeD \xC4[Z]"), "mixed \xC4[z]");
  EXPECT_EQ(TrimBlanks("\t\r\n x y \x01"), "x y");
  // White space only: a control byte is the text's own.
  EXPECT_EQ(TrimWhiteSpace("\t\r\n x y \x01\r\n"), "x y \x01");
  EXPECT_EQ(TrimWhiteSpace(" \t "), "");
}

}  // namespace
}  // namespace halvane
