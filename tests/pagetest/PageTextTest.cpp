// The page test's text helpers: rel tokens, white space, UTF-8 repair and
// the declared charset.
#include <gtest/gtest.h>

#include "pagetest/PageCharset.h"
#include "pagetest/PageText.h"

namespace halvane::pagetest {
namespace {

TEST(PageTextTest, TokensSplitAtHtmlWhiteSpaceOnly) {
  EXPECT_TRUE(HasToken("external nofollow ugc", "nofollow"));
  EXPECT_TRUE(HasToken("\fNOFOLLOW\r", "nofollow"));
  EXPECT_FALSE(HasToken("nofollow,ugc", "nofollow"));
  EXPECT_FALSE(HasToken("nofollo", "nofollow"));
  EXPECT_FALSE(HasToken("", "nofollow"));
  // A no-break space is not white space in HTML.
  EXPECT_FALSE(HasToken("ugc\xC2\xA0nofollow", "nofollow"));
}

TEST(PageTextTest, WhiteSpaceRunsCollapse) {
  EXPECT_EQ(CollapseHtmlSpace("  My \t\n Shop \r\n"), "My Shop");
  EXPECT_EQ(CollapseHtmlSpace(" \t "), "");
  EXPECT_EQ(CollapseHtmlSpace("a\xC2\xA0 b"), "a\xC2\xA0 b");
}

TEST(PageTextTest, BrokenUtf8IsRepairedByteByByte) {
  EXPECT_EQ(RepairUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(RepairUtf8("\xC0\xAF"), fffd + fffd);            // overlong
  EXPECT_EQ(RepairUtf8("\xE0\x80\xAF"), fffd + fffd + fffd);  // overlong, three bytes
  EXPECT_EQ(RepairUtf8("\xED\xA0\x80"), fffd + fffd + fffd);  // surrogate
  EXPECT_EQ(RepairUtf8("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd);  // above U+10FFFF
  EXPECT_EQ(RepairUtf8("a\xE2\x82"), "a" + fffd + fffd);      // cut off at the end
  EXPECT_EQ(RepairUtf8(std::string("a\0b", 3)), "a" + fffd + "b");
  EXPECT_EQ(RepairUtf8("\xF4\x8F\xBF\xBF"), "\xF4\x8F\xBF\xBF");  // U+10FFFF itself
}

TEST(PageTextTest, ContainsIgnoresAsciiCase) {
  EXPECT_TRUE(ContainsNoCase("https://WWW.MyShop.example/", "myshop.example"));
  EXPECT_FALSE(ContainsNoCase("https://myshop.exampl", "myshop.example"));
  EXPECT_TRUE(ContainsNoCase("myshop.example", "myshop.example"));
}

TEST(PageCharsetTest, MetaCharsetAndHttpEquiv) {
  EXPECT_EQ(DeclaredCharset("<head><meta charset=\"UTF-8\" />"), "utf-8");
  EXPECT_EQ(DeclaredCharset("<META CHARSET=windows-1252>"), "windows-1252");
  EXPECT_EQ(DeclaredCharset("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"),
            "iso-8859-1");
  EXPECT_EQ(DeclaredCharset("<meta name=x content=y><meta charset = 'koi8-r'>"), "koi8-r");
}

TEST(PageCharsetTest, NoDeclarationGivesNothing) {
  EXPECT_EQ(DeclaredCharset("<p>charset=latin1</p>"), "");
  EXPECT_EQ(DeclaredCharset("<meta name=description content='about charsets'>"), "");
  EXPECT_EQ(DeclaredCharset("<meta charset=>"), "");
  EXPECT_EQ(DeclaredCharset("<meta charset"), "");
  EXPECT_EQ(DeclaredCharset(std::string(1020, ' ') + "<meta charset=latin1>"), "");
}

}  // namespace
}  // namespace halvane::pagetest
