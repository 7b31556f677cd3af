// Which charset a page is read in: byte-order mark, Content-Type, <meta>,
// UTF-8, with only the labels browsers know.
#include <gtest/gtest.h>

#include <string>

#include "pagetest/CharsetLabels.h"
#include "pagetest/PageCharset.h"
#include "pagetest/PageTest.h"

namespace halvane::pagetest {
namespace {

const std::string kLink = "<li id='comment-1'><a href='https://myshop.example/'>";

std::string AnchorOf(const std::string& page, const std::string& contentType = "") {
  TPageContext context;
  context.UserDomain = "myshop.example";
  context.ContentType = contentType;
  return TestPage(page, context).Anchor;
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string out;
  for (const char c : ascii) {
    out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return out;
}

TEST(CharsetTest, TheMetaDeclarationElseUtf8) {
  EXPECT_EQ(AnchorOf("<meta charset='iso-8859-1'>" + kLink + "caf\xE9</a>"), "caf\xC3\xA9");
  // Browsers read Latin-1 as windows-1252: 0x80 is the euro sign.
  EXPECT_EQ(AnchorOf("<meta http-equiv='Content-Type' content='text/html; charset=ISO-8859-1'>" + kLink + "\x80</a>"),
            "\xE2\x82\xAC");
  EXPECT_EQ(AnchorOf(kLink + "caf\xC3\xA9</a>"), "caf\xC3\xA9");
  EXPECT_EQ(AnchorOf("<meta charset='x-no-such-charset'>" + kLink + "caf\xC3\xA9</a>"), "caf\xC3\xA9");
  // A UTF-16 declaration read in ASCII bytes cannot be true.
  EXPECT_EQ(AnchorOf("<meta charset='utf-16'>" + kLink + "caf\xC3\xA9</a>"), "caf\xC3\xA9");
  // A declaration further into the page than browsers look is not heeded.
  EXPECT_EQ(AnchorOf(std::string(2000, ' ') + "<meta charset='iso-8859-1'>" + kLink + "caf\xC3\xA9</a>"),
            "caf\xC3\xA9");
}

TEST(CharsetTest, TheContentTypeHeaderComesBeforeTheMeta) {
  const std::string latin1 = "<meta charset='utf-8'>" + kLink + "Caf\xE9 cr\xE8me</a>";
  EXPECT_EQ(AnchorOf(latin1, "text/html; charset=ISO-8859-1"), "Caf\xC3\xA9 cr\xC3\xA8me");
  EXPECT_EQ(AnchorOf(latin1, "text/html;charset=\"latin1\""), "Caf\xC3\xA9 cr\xC3\xA8me");
  // An unknown or missing label leaves the choice to the page.
  EXPECT_EQ(AnchorOf("<meta charset='windows-1252'>" + kLink + "caf\xE9</a>", "text/html; charset=bogus"),
            "caf\xC3\xA9");
  EXPECT_EQ(AnchorOf("<meta charset='windows-1252'>" + kLink + "caf\xE9</a>", "text/html"), "caf\xC3\xA9");
}

TEST(CharsetTest, UtfSevenIsNoCharsetOfTheWeb) {
  // "+AGEAYg-" is "ab" in UTF-7; read as UTF-8 it stays as it is.
  EXPECT_EQ(AnchorOf(kLink + "+AGEAYg-</a>", "text/html; charset=utf-7"), "+AGEAYg-");
  EXPECT_EQ(AnchorOf("<meta charset='UTF-7'>" + kLink + "+AGEAYg-</a>"), "+AGEAYg-");
  EXPECT_EQ(EncodingOfLabel("utf-7"), "");
  EXPECT_EQ(EncodingOfLabel("ebcdic-cp-us"), "");
}

TEST(CharsetTest, AByteOrderMarkComesFirst) {
  const std::string page = "<meta charset='windows-1252'>" + kLink + "caf\xC3\xA9</a>";
  EXPECT_EQ(AnchorOf("\xEF\xBB\xBF" + page, "text/html; charset=ISO-8859-1"), "caf\xC3\xA9");
  const std::string ascii = "<li id='comment-1'><a href='https://myshop.example/'>caf";
  const std::string le = "\xFF\xFE" + Utf16(ascii, false) + std::string("\xE9\0", 2) + Utf16("</a>", false);
  EXPECT_EQ(AnchorOf(le, "text/html; charset=utf-8"), "caf\xC3\xA9");
  const std::string be = "\xFE\xFF" + Utf16(ascii, true) + std::string("\xD8\x3D\xDE\x00", 4) + Utf16("</a>", true);
  EXPECT_EQ(AnchorOf(be), "caf\xF0\x9F\x98\x80");
  // A lone surrogate becomes U+FFFD.
  const std::string lone = "\xFF\xFE" + Utf16(ascii, false) + std::string("\x00\xD8", 2) + Utf16("</a>", false);
  EXPECT_EQ(AnchorOf(lone), "caf\xEF\xBF\xBD");
}

TEST(CharsetTest, EveryLabelOfTheWebHasAConverter) {
  for (const char* label : {"utf8", "866", "l2", "iso-8859-3", "latin4", "cyrillic", "arabic", "greek",
                            "hebrew", "logical", "latin6", "iso885913", "iso-8859-14", "l9", "iso-8859-16",
                            "koi8", "koi8-u", "mac", "tis-620", "cp1250", "cp1251", "ascii", "cp1253",
                            "latin5", "cp1255", "cp1256", "cp1257", "cp1258", "x-mac-ukrainian", "gb2312",
                            "gb18030", "big5", "euc-jp", "iso-2022-jp", "sjis", "korean", "utf-16le",
                            "utf-16be"}) {
    SCOPED_TRACE(label);
    const std::string_view encoding = EncodingOfLabel(label);
    ASSERT_FALSE(encoding.empty());
    EXPECT_FALSE(ConverterName(encoding).empty());
  }
  EXPECT_EQ(EncodingOfLabel(" Latin1\t"), "windows-1252");
  EXPECT_EQ(EncodingOfLabel("iso-2022-kr"), "replacement");
  EXPECT_EQ(ConverterName("replacement"), "");
  EXPECT_EQ(ContentTypeCharset("text/html; Charset = 'koi8-r' ; x=y"), "koi8-r");
  EXPECT_EQ(ContentTypeCharset("text/html"), "");
}

TEST(CharsetTest, TheOrderIsRecorded) {
  EXPECT_EQ(PageCharsetOf("\xEF\xBB\xBFx", "text/html; charset=koi8-r").Source, TCharsetSource::ByteOrderMark);
  EXPECT_EQ(PageCharsetOf("<meta charset=gbk>", "text/html; charset=koi8-r").Encoding, "KOI8-R");
  EXPECT_EQ(PageCharsetOf("<meta charset=gbk>", "").Encoding, "GBK");
  EXPECT_EQ(PageCharsetOf("<meta charset=x-user-defined>", "").Encoding, "windows-1252");
  EXPECT_EQ(PageCharsetOf("<p>", "").Source, TCharsetSource::Default);
}

}  // namespace
}  // namespace halvane::pagetest
