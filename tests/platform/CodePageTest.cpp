#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace halvane::platform {
namespace {

TEST(CodePage, CaseMappingCoversAccentedLetters) {
  EXPECT_EQ(AnsiCharLower('A'), 'a');
  EXPECT_EQ(AnsiCharLower(0xC9), 0xE9);  // E acute
  EXPECT_EQ(AnsiCharLower(0xD7), 0xD7);  // multiplication sign has no case
  EXPECT_EQ(AnsiCharUpper(0xFF), 0x9F);  // y diaeresis
  EXPECT_EQ(AnsiCharUpper(0xDF), 0xDF);  // sharp s stays
  EXPECT_EQ(AnsiCharLower(300), 300);
  EXPECT_EQ(AnsiCharLower(-1), -1);
  for (int c = 0; c < 256; ++c) {
    const int lower = AnsiCharLower(c);
    if (lower != c) {
      EXPECT_EQ(AnsiCharUpper(lower), c) << c;
    }
  }
}

TEST(CodePage, DisplayTextKeepsUtf8AndConvertsTheRest) {
  EXPECT_EQ(BytesToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(BytesToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(BytesToUtf8("\x80"), "\xE2\x82\xAC");           // euro sign
  EXPECT_EQ(BytesToUtf8("\xC0\x80"), "\xC3\x80\xE2\x82\xAC");  // overlong NUL is not UTF-8
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                 // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));                     // cut short
}

TEST(CodePage, TypedTextBackToCodePage) {
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?");
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    EXPECT_EQ(Utf8ToAnsi(BytesToUtf8(one)), one) << c;
  }
}

}  // namespace
}  // namespace halvane::platform
