#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "branding/BrandSettings.h"
#include "tools/brand/BrandTool.h"
#include "branding/CryptFile.h"
#include "tests/branding/TFolderTest.h"
#include "branding/WorkingFiles.h"

namespace halvane {
namespace {

using ::testing::HasSubstr;

class BrandTool : public TFolderTest {
 protected:
  int Run(const std::vector<std::string>& arguments) {
    FOut.str("");
    FErr.str("");
    return RunBrandTool(arguments, FOut, FErr);
  }
  std::ostringstream FOut;
  std::ostringstream FErr;
};

TEST_F(BrandTool, TemplateFillsEveryFieldAndKeepsItsNewsLine) {
  ASSERT_EQ(0, Run({"template"}));
  const std::string text = FOut.str();
  EXPECT_EQ(BrandTemplate(), text);
  TBrandDocument document = ReadBrandDocument(text);
  EXPECT_EQ(2u, document.Welcome.size());
  EXPECT_EQ(2u, document.Banner.size());
  EXPECT_EQ(3u, document.Link.size());
  TBrandRandom random(5);
  ChooseBrandEntries(document, random);
  const TBrandSettings& s = document.Settings;
  for (const std::string* field :
       {&s.ApplicationName, &s.BranderCode, &s.BranderType, &s.AffiliateURL, &s.MasterNewsBaseURL,
        &s.PlatinumNewsBaseURL, &s.GoldNewsBaseURL, &s.MasterPublID, &s.PlatinumPublID, &s.GoldPublID,
        &s.MakeMoneyCaption, &s.AppHelpURL, &s.CopyrightYears, &s.CopyrightCompany, &s.AboutText,
        &s.WelcomeHtml, &s.BannerFile, &s.BannerURL, &s.Link1Caption, &s.Link1URL, &s.Link2Caption,
        &s.Link2URL}) {
    EXPECT_FALSE(field->empty());
  }
  EXPECT_EQ(std::string::npos, s.AffiliateURL.find("%%"));
  EXPECT_NE("Make Money", s.MakeMoneyCaption);
  EXPECT_TRUE(NewsButtonShown(s));

  // The program rewrites the template's own LastNewsId line.
  WriteWholeFile(Path("plain"), text);
  ASSERT_EQ(0, Run({"encrypt", Path("plain"), Path("dbsettings.dat")}));
  WriteLastNewsId(FFolder, "7");
  std::string plain;
  ASSERT_TRUE(DecryptSettingsBytes(ReadWholeFile(Path("dbsettings.dat")), plain));
  EXPECT_EQ(SplitSettingsLines(text).size(), SplitSettingsLines(plain).size());
  EXPECT_EQ("7", FindLastNewsId(plain));
}

TEST_F(BrandTool, ShowPrintsEveryFieldInOrder) {
  WriteWholeFile(Path("plain"),
                 "<%%ApplicationName%%>App<%%/ApplicationName%%>\n<%%BranderType%%>Free<%%/BranderType%%>\n"
                 "<%%MasterNewsBaseURL%%>http://m/<%%/MasterNewsBaseURL%%><%%MasterPublID%%>M<%%/MasterPublID%%>\n"
                 "<%%AboutText%%>two\nlines<%%/AboutText%%>\n<%%Banner1%%>b.gif^http://b/<%%/Banner1%%>\n"
                 "<%%Link1%%>L^http://l/<%%/Link1%%>\n<%%LastNewsId%%>12<%%/LastNewsId%%>\n");
  ASSERT_EQ(0, Run({"encrypt", Path("plain"), Path("dbsettings.dat")}));
  ASSERT_EQ(0, Run({"show", Path("dbsettings.dat")}));
  EXPECT_EQ(
      "ApplicationName: App\nBranderCode: \nBranderType: Free\nAffiliateURL: \n"
      "MasterNewsBaseURL: http://m/\nPlatinumNewsBaseURL: \nGoldNewsBaseURL: \nMasterPublID: M\n"
      "PlatinumPublID: \nGoldPublID: \nMakeMoneyCaption: Make Money\nAppHelpURL: \nCopyrightYears: \n"
      "CopyrightCompany: \nAboutText: two\\r\\nlines\nWelcomeHtml: \nBanner1: b.gif^http://b/\n"
      "BannerNumber: 1\nBannerFile: b.gif\nBannerURL: http://b/\nLink1: L^http://l/\nLink1Caption: L\n"
      "Link1URL: http://l/\nLink2Caption: \nLink2URL: \nNewsButton: shown\nLastNewsId: 12\n",
      FOut.str());
}

TEST_F(BrandTool, DecryptRoundTripsAndRefusesAlteredFiles) {
  WriteWholeFile(Path("plain"), "<%%ApplicationName%%>App<%%/ApplicationName%%>\r\n");
  ASSERT_EQ(0, Run({"encrypt", Path("plain"), Path("dbsettings.dat")}));
  ASSERT_EQ(0, Run({"decrypt", Path("dbsettings.dat"), Path("back")}));
  EXPECT_EQ(ReadWholeFile(Path("plain")), ReadWholeFile(Path("back")));

  std::string container = ReadWholeFile(Path("dbsettings.dat"));
  container.back() = static_cast<char>(container.back() ^ 1);
  WriteWholeFile(Path("altered.dat"), container);
  EXPECT_EQ(1, Run({"decrypt", Path("altered.dat"), Path("out")}));
  EXPECT_THAT(FErr.str(), HasSubstr("altered.dat"));
  EXPECT_THAT(FErr.str(), HasSubstr("authentication code"));
  EXPECT_FALSE(std::filesystem::exists(Path("out")));
  EXPECT_EQ(1, Run({"decrypt", Path("altered.dat"), Path("back")}));
  EXPECT_EQ(ReadWholeFile(Path("plain")), ReadWholeFile(Path("back")));
  EXPECT_EQ(1, Run({"show", Path("altered.dat")}));
  EXPECT_EQ("", FOut.str());
  EXPECT_EQ(1, Run({"decrypt", Path("plain"), Path("out")}));
  EXPECT_EQ((std::vector<std::string>{}), [&] {
    std::vector<std::string> leftovers;
    for (const auto& item : std::filesystem::directory_iterator(FPath)) {
      if (item.path().filename().string().rfind("out", 0) == 0) leftovers.push_back(item.path().filename());
    }
    return leftovers;
  }());
}

TEST_F(BrandTool, SkinIsOneZlibStreamOfTheStyleSheet) {
  std::string style = "QWidget { color: #123456; }\n/* caf\xC3\xA9 */\n";
  for (int i = 0; i < 200; ++i) style += "QPushButton#b" + std::to_string(i) + " { margin: 1px; }\n";
  WriteWholeFile(Path("style.qss"), style);
  ASSERT_EQ(0, Run({"skin", Path("style.qss"), Path("mainskin.dat")}));
  const std::string packed = ReadWholeFile(Path("mainskin.dat"));
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(0x78, static_cast<unsigned char>(packed[0]));
  std::string unpacked(style.size() + 16, '\0');
  uLongf length = unpacked.size();
  uLong consumed = packed.size();
  ASSERT_EQ(Z_OK, uncompress2(reinterpret_cast<Bytef*>(unpacked.data()), &length,
                              reinterpret_cast<const Bytef*>(packed.data()), &consumed));
  unpacked.resize(length);
  EXPECT_EQ(style, unpacked);
  EXPECT_EQ(packed.size(), consumed);
}

TEST_F(BrandTool, UsageAndFileErrors) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"help"}, {"encrypt", "a"}, {"show"}, {"template", "x"},
                                             {"skin", "a", "b", "c"}}) {
    EXPECT_EQ(2, Run(arguments));
    EXPECT_THAT(FErr.str(), HasSubstr("usage: halvane-brand"));
  }
  EXPECT_EQ(1, Run({"encrypt", Path("absent"), Path("out")}));
  EXPECT_THAT(FErr.str(), HasSubstr("absent"));
  EXPECT_EQ(1, Run({"show", Path("absent")}));
  EXPECT_EQ(1, Run({"skin", Path("absent"), Path("out")}));
  EXPECT_FALSE(std::filesystem::exists(Path("out")));
}

}  // namespace
}  // namespace halvane
