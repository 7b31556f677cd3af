// The page test's text helpers: rel tokens, white space, UTF-8 repair and
// the declared charset.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "base/TextScan.h"
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

std::string Collapsed(std::initializer_list<std::string_view> pieces, std::size_t maxBytes = 100) {
  std::string out;
  bool pendingBlank = false;
  for (const std::string_view piece : pieces) {
    if (!AppendCollapsed(out, pendingBlank, piece, maxBytes)) break;
  }
  return out;
}

TEST(PageTextTest, WhiteSpaceRunsCollapseAcrossPieces) {
  EXPECT_EQ(Collapsed({"  My \t\n", " ", "Shop", " \r\n"}), "My Shop");
  EXPECT_EQ(Collapsed({"My", "Shop"}), "MyShop");
  EXPECT_EQ(Collapsed({" \t ", "\n"}), "");
  EXPECT_EQ(Collapsed({"a\xC2\xA0 b"}), "a\xC2\xA0 b");
}

TEST(PageTextTest, CollapsedTextStopsAtItsSize) {
  EXPECT_EQ(Collapsed({"abc def", "ghi"}, 5), "abc d");
  EXPECT_EQ(Collapsed({"abc def", "ghi"}, 4), "abc");  // no blank without a word after it
  EXPECT_EQ(Collapsed({"abc  ", "   de", "f"}, 6), "abc de");
  std::string out;
  bool pendingBlank = false;
  EXPECT_FALSE(AppendCollapsed(out, pendingBlank, "abcdef", 4));
  EXPECT_EQ(out, "abcd");
  EXPECT_TRUE(AppendCollapsed(out, pendingBlank, "   ", 4));  // blanks cost nothing yet
}

TEST(PageTextTest, ACutSequenceAtTheEndGoes) {
  EXPECT_EQ(WithoutCutSequence("caf\xC3"), "caf");
  EXPECT_EQ(WithoutCutSequence("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(WithoutCutSequence("a\xF0\x9F\x98"), "a");
  EXPECT_EQ(WithoutCutSequence("a\xF0\x9F\x98\x80"), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(WithoutCutSequence("a\xE2\x82"), "a");
  EXPECT_EQ(WithoutCutSequence(""), "");
  EXPECT_EQ(WithoutCutSequence("\x80\x80"), "\x80\x80");  // no lead byte: left to the repair
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
  // The label as written; PageCharsetOf reads a declared UTF-16 as UTF-8.
  EXPECT_EQ(DeclaredCharset("<meta charset=UTF-16LE>"), "utf-16le");
  EXPECT_EQ(PageCharsetOf("<meta charset=UTF-16LE>", "").Encoding, "UTF-8");
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
