#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace halvane::platform {
namespace {

std::string Read(std::string_view text, std::string_view key = "Version") {
  return ReadIniValueFromText(text, "APPLICATION", key);
}

TEST(IniFile, SectionAndKeyIgnoreCaseValueTrimmedNotSplit) {
  const std::string text =
      "; update description\r\n[Other]\r\nVersion=9.99\r\n"
      "[ application ]\r\nName = Halvane \r\n  version =  2,30 \t\r\n";
  EXPECT_EQ(Read(text), "2,30");
  EXPECT_EQ(Read(text, "NAME"), "Halvane");
  EXPECT_EQ(Read(text, "Missing"), "");
  EXPECT_EQ(ReadIniValueFromText(text, "Nowhere", "Version"), "");
  EXPECT_EQ(ReadIniValueFromText(text, "other", "version"), "9.99");
}

TEST(IniFile, LineEndsCommentsQuotesAndOddLines) {
  EXPECT_EQ(Read("[APPLICATION]\nVersion=2.30\n"), "2.30");
  EXPECT_EQ(Read("[APPLICATION]\rVersion=2.31"), "2.31");
  EXPECT_EQ(Read("\xEF\xBB\xBF[APPLICATION]\nVersion=2.32"), "2.32");
  EXPECT_EQ(Read("[APPLICATION]\n;Version=1\nVersion=\"2.33\"\n"), "2.33");
  EXPECT_EQ(Read("[APPLICATION]\nVersion=2.3;comment stays\n"), "2.3;comment stays");
  EXPECT_EQ(Read("[APPLICATION]\nVersion=a=b\n"), "a=b");
  EXPECT_EQ(Read("[APPLICATION]\nVersion\nVersion=\n"), "");
  EXPECT_EQ(Read("[APPLICATION\nVersion=4\n"), "4");  // unclosed bracket
  EXPECT_EQ(Read("Version=5\n[APPLICATION]\n"), "");    // key before any section
  EXPECT_EQ(Read("[APPLICATION]\nVersion=1\nVersion=2\n[APPLICATION]\nVersion=3\n"), "1");
  EXPECT_EQ(Read(std::string("[APPLICATION]\nVersion=6\0garbage", 28)), "6");
  EXPECT_EQ(Read(std::string("[APPLICATION]\nVer\0sion=7\n", 25)), "");
}

TEST(IniFile, FileReadIsBounded) {
  const std::string path = ::testing::TempDir() + "halvane_ini_test.inf";
  { std::ofstream(path, std::ios::binary) << "[Application]\r\nVersion=2.30\r\n"; }
  EXPECT_EQ(ReadIniValue(path, "APPLICATION", "Version"), "2.30");
  {
    std::ofstream out(path, std::ios::binary);
    out << "[Application]\r\nVersion=2.30\r\n" << std::string(kIniFileSizeLimit, ';');
  }
  EXPECT_EQ(ReadIniValue(path, "APPLICATION", "Version"), "");
  std::remove(path.c_str());
  EXPECT_EQ(ReadIniValue(path, "APPLICATION", "Version"), "");
}

}  // namespace
}  // namespace halvane::platform
