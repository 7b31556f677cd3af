// Settings files and folders prepared by someone else: entries planted under
// the working copy's name, placeholders by the million, oversized and
// special files given to the publisher's tool, a disk that fills up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "branding/BannerFormat.h"
#include "branding/BrandSettings.h"
#include "tools/brand/BrandTool.h"
#include "branding/CryptFile.h"
#include "tests/branding/TFolderTest.h"
#include "branding/WorkingFiles.h"

namespace halvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Entry(const std::string& name, const std::string& value) {
  return "<%%" + name + "%%>" + value + "<%%/" + name + "%%>\r\n";
}

class PlantedFolder : public TFolderTest {
 protected:
  void SetUp() override {
    TFolderTest::SetUp();
    std::string container;
    ASSERT_TRUE(EncryptSettingsBytes(Entry("ApplicationName", "Secret Edition") +
                                         Entry("LastNewsId", "4"),
                                     container));
    WriteWholeFile(Path("dbsettings.dat"), container);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(FPath)) names.push_back(item.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Victim() const { return FFolder + "victim.txt"; }
};

TEST_F(PlantedFolder, LinkUnderTheWorkingCopyNameIsRemovedNotWrittenThrough) {
  WriteWholeFile(Victim(), "precious");
  std::filesystem::create_symlink(Victim(), FPath / "dbsettings.sim");
  TBrandSettings s;
  EXPECT_TRUE(LoadBrandSettings(FFolder, s));
  EXPECT_EQ("Secret Edition", s.ApplicationName);
  EXPECT_EQ("precious", ReadWholeFile(Victim()));
  std::filesystem::create_symlink(Victim(), FPath / "dbsettings.sim");
  WriteLastNewsId(FFolder, "9");
  EXPECT_EQ("precious", ReadWholeFile(Victim()));
  EXPECT_EQ("9", ReadLastNewsId(FFolder));
  EXPECT_THAT(Names(), ElementsAre("dbsettings.dat", "victim.txt"));
}

TEST_F(PlantedFolder, HardLinkUnderTheWorkingCopyNameLeavesTheOtherFileAlone) {
  WriteWholeFile(Victim(), "precious");
  ASSERT_EQ(0, ::link(Victim().c_str(), Path("dbsettings.sim").c_str()));
  EXPECT_EQ("4", ReadLastNewsId(FFolder));
  EXPECT_EQ("precious", ReadWholeFile(Victim()));
  EXPECT_THAT(Names(), ElementsAre("dbsettings.dat", "victim.txt"));
}

TEST_F(PlantedFolder, PipeUnderTheWorkingCopyNameNeverReceivesThePlainText) {
  ASSERT_EQ(0, ::mkfifo(Path("dbsettings.sim").c_str(), 0666));
  std::signal(SIGPIPE, SIG_IGN);
  // A reader waits on the pipe, so that opening it for writing would not block.
  const int reader = ::open(Path("dbsettings.sim").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  TBrandSettings s;
  EXPECT_TRUE(LoadBrandSettings(FFolder, s));
  EXPECT_EQ("Secret Edition", s.ApplicationName);
  char buffer[4096];
  const ssize_t got = ::read(reader, buffer, sizeof buffer);
  ::close(reader);
  EXPECT_LE(got, 0) << std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
  EXPECT_THAT(Names(), ElementsAre("dbsettings.dat"));
}

TEST_F(PlantedFolder, ReplacementIsUnnamedUntilItIsComplete) {
  WriteWholeFile(Path("target"), "old");
  std::vector<std::string> during;
  ASSERT_TRUE(ReplaceFileThrough(Path("target"), [&](const std::string& temporary) {
    WriteWholeFile(temporary, "new");
    during = Names();
    return true;
  }));
  // Nothing that a signal could leave behind stood in the folder meanwhile.
  EXPECT_THAT(during, ElementsAre("dbsettings.dat", "target"));
  EXPECT_EQ("new", ReadWholeFile(Path("target")));
  EXPECT_THAT(Names(), ElementsAre("dbsettings.dat", "target"));
}

TEST(AffiliateUrl, SubstitutionLargerThanASettingsFileLeavesNoAddress) {
  std::string url;
  for (int i = 0; i < 100; ++i) url += "%%AFFILIATEID%%";
  const std::string plain = Entry("AffiliateURL", url) + Entry("AffiliateID", std::string(1 << 20, 'i'));
  EXPECT_EQ("", ReadBrandDocument(plain).Settings.AffiliateURL);
  EXPECT_EQ(std::string(4, 'i'), ReadBrandDocument(Entry("AffiliateURL", "%%AFFILIATEID%%") +
                                                   Entry("AffiliateID", "iiii"))
                                     .Settings.AffiliateURL);
}

TEST(SettingsText, NormalisedInOnePassAsSplitAndJoinDo) {
  for (const std::string& text : {std::string("a\rb\nc\r\nd"), std::string("\n\n\r\r\n"), std::string("x"),
                                 std::string(""), std::string("a\r\nb\0c\nd", 9), std::string("end\r")}) {
    EXPECT_EQ(JoinSettingsLines(SplitSettingsLines(text)), NormalizeSettingsText(text));
  }
}

TEST(BannerFormat, OnlyFormatsTheProgramDecodes) {
  EXPECT_EQ("jpeg", BannerFormatForName("ad.JPG"));
  EXPECT_EQ("gif", BannerFormatForName("summer.GIF"));
  EXPECT_EQ("gif", BannerFormatForName("ad.gif.wmf"));
  EXPECT_EQ("png", BannerFormatForName("ad.png"));
  EXPECT_EQ("", BannerFormatForName("ad.wmf"));
  EXPECT_EQ("", BannerFormatForName("ad.emf"));
  EXPECT_EQ("", BannerFormatForName("ad"));
}

class BrandToolFiles : public TFolderTest {
 protected:
  int Run(const std::vector<std::string>& arguments) {
    FOut.str("");
    FErr.str("");
    return RunBrandTool(arguments, FOut, FErr);
  }
  void Encrypt(const std::string& plain, const std::string& name) {
    WriteWholeFile(Path("plain"), plain);
    ASSERT_EQ(0, Run({"encrypt", Path("plain"), Path(name.c_str())}));
  }
  std::ostringstream FOut;
  std::ostringstream FErr;
};

TEST_F(BrandToolFiles, TemplateAndShowSpeakOnlyOfFormatsTheProgramShows) {
  ASSERT_EQ(0, Run({"template"}));
  EXPECT_THAT(FOut.str(), Not(HasSubstr(".wmf")));
  EXPECT_THAT(FOut.str(), Not(HasSubstr(".emf")));
  Encrypt(Entry("Banner1", "ad.wmf^http://a/") + Entry("Banner2", "ok.jpg^http://b/") +
              Entry("Banner3", "pic.EMF^http://c/"),
          "dbsettings.dat");
  ASSERT_EQ(0, Run({"show", Path("dbsettings.dat")}));
  EXPECT_THAT(FErr.str(), HasSubstr("warning: Banner1 names 'ad.wmf', a picture format the program cannot show"));
  EXPECT_THAT(FErr.str(), HasSubstr("warning: Banner3 names 'pic.EMF'"));
  EXPECT_THAT(FErr.str(), Not(HasSubstr("Banner2")));
  EXPECT_THAT(FOut.str(), HasSubstr("Banner2: ok.jpg^http://b/\n"));
}

TEST_F(BrandToolFiles, ShowRefusesWhatTheProgramWouldNotRead) {
  std::filesystem::create_directory(FPath / "folder");
  EXPECT_EQ(1, Run({"show", Path("folder")}));
  EXPECT_THAT(FErr.str(), HasSubstr("not a regular file"));
  // Over the program's cap the program ignores the file: show says so
  // instead of showing settings that will never apply.
  Encrypt(Entry("ApplicationName", "Big") + Entry("AboutText", std::string(kMaxSettingsFileBytes, 'a')),
          "big.dat");
  EXPECT_EQ(1, Run({"show", Path("big.dat")}));
  EXPECT_THAT(FErr.str(), HasSubstr("over the 16777216 bytes the program reads"));
  EXPECT_THAT(FOut.str(), Not(HasSubstr("Big")));
}

// Runs the tool in a child whose files may not grow past limit bytes, as
// on a full disk.
std::string RunWithFileLimit(const std::vector<std::string>& arguments, rlim_t limit, int& status) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &cap);
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunBrandTool(arguments, out, err);
    const std::string text = err.str();
    (void)!::write(pipeFds[1], text.data(), text.size());
    ::_exit(code);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[1024];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int raw = 0;
  ::waitpid(child, &raw, 0);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return text;
}

TEST_F(BrandToolFiles, FullDiskIsAWriteErrorAndLeavesNothingBehind) {
  Encrypt(Entry("AboutText", std::string(200000, 'p')), "dbsettings.dat");
  std::filesystem::remove(FPath / "plain");
  int status = -1;
  const std::string err = RunWithFileLimit({"decrypt", Path("dbsettings.dat"), Path("out")}, 65536, status);
  EXPECT_EQ(1, status);
  EXPECT_THAT(err, HasSubstr("cannot write " + Path("out")));
  EXPECT_THAT(err, Not(HasSubstr("does not decrypt")));
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(FPath)) names.push_back(item.path().filename());
  EXPECT_THAT(names, ElementsAre("dbsettings.dat"));
}

}  // namespace
}  // namespace halvane
