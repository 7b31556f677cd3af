#include "news/UpdateCheck.h"

#include <gtest/gtest.h>

namespace halvane {
namespace {

TEST(UpdateVersion, DecimalComparison) {
  EXPECT_TRUE(IsNewerVersion("2.30", "2.20"));
  EXPECT_TRUE(IsNewerVersion("2.3", "2.20"));
  EXPECT_TRUE(IsNewerVersion("3", "2.20"));
  EXPECT_TRUE(IsNewerVersion("2.9", "2.10"));
  EXPECT_TRUE(IsNewerVersion("2.201", "2.20"));
  EXPECT_TRUE(IsNewerVersion("10", "9.99"));
  EXPECT_FALSE(IsNewerVersion("2.20", "2.20"));
  EXPECT_FALSE(IsNewerVersion("2.2", "2.20"));
  EXPECT_FALSE(IsNewerVersion("2.19", "2.20"));
  EXPECT_FALSE(IsNewerVersion("02.200", "2.20"));
  EXPECT_FALSE(IsNewerVersion("2.10", "2.9"));
  // Long versions are compared exactly, beyond what a double holds.
  EXPECT_TRUE(IsNewerVersion("2.20000000000000000001", "2.20"));
  EXPECT_TRUE(IsNewerVersion("123456789012345678901", "123456789012345678900.9"));
}

TEST(UpdateVersion, TextsThatAreNotNumbersCountAsZero) {
  for (const char* bad : {"", "2,30", "2.3.0", ".", "-3", "+3", " 3", "3 ", "1e3", "v3"}) {
    EXPECT_FALSE(IsNewerVersion(bad, "2.20")) << bad;
    EXPECT_TRUE(IsNewerVersion("0.1", bad)) << bad;
    EXPECT_FALSE(IsNewerVersion("0", bad)) << bad;
  }
  EXPECT_TRUE(IsNewerVersion("3.", "2.20"));
  EXPECT_TRUE(IsNewerVersion(".5", "0.4"));
  EXPECT_FALSE(IsNewerVersion(".5", "2.20"));
}

TEST(UpdateTexts, QuestionsAndUpdaterParameters) {
  EXPECT_EQ(UpdateQuestionText("2.30"),
            "There is a new update: (version 2.30) available for your application!. "
            "Do you want download this update now?");
  const std::string close = UpdateCloseQuestionText();
  EXPECT_EQ(close,
            "To update your software the application will close to\x0A\x0D"
            "replace some files. Do you want to update now?");
  EXPECT_EQ(UpdateDescriptionAddress("http://u.test/liveupdate/halvane/"),
            "http://u.test/liveupdate/halvane/mainappupdate.inf");
  EXPECT_EQ(UpdaterParameters("http://u.test/liveupdate/halvane/", "2.20"),
            "http://u.test/liveupdate/halvane/ 2.20 A");
  EXPECT_EQ(UpdaterArguments("http://u.test/liveupdate/halvane/", "2.20"),
            (std::vector<std::string>{"http://u.test/liveupdate/halvane/", "2.20", "A"}));
}

}  // namespace
}  // namespace halvane
