#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "branding/BrandSettings.h"
#include "branding/CryptFile.h"
#include "tests/branding/TFolderTest.h"
#include "branding/WorkingFiles.h"

namespace halvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Entry(const std::string& name, const std::string& value) {
  return "<%%" + name + "%%>" + value + "<%%/" + name + "%%>\r\n";
}

// Entries 1 to 20 in reading order, one per line.
std::string FullDocument() {
  return "Settings of the Example edition\r\n" + Entry("ApplicationName", "Example Builder") +
         Entry("BranderCode", "17") + Entry("BranderType", "Gold") +
         Entry("AffiliateURL", "http://shop.example/?aff=%%AFFILIATEID%%") + Entry("AffiliateTYPE", "cb") +
         Entry("AffiliateID", "42") + Entry("MasterNewsBaseURL", "http://m.example/") +
         Entry("PlatinumNewsBaseURL", "http://p.example/") + Entry("GoldNewsBaseURL", "http://g.example/") +
         Entry("MasterPublID", "M1") + Entry("PlatinumPublID", "P1") + Entry("GoldPublID", "G1") +
         Entry("MakeMoneyButton", "Earn") + Entry("AppHelpURL", "http://help.example/") +
         Entry("CopyrightYears", "2009-2011") + Entry("CopyrightCompany", "Example Ltd") +
         Entry("AboutText", "About us") + Entry("Welcome1", "<html>hi</html>") +
         Entry("Banner1", "banner1.gif^http://b.example/") + Entry("Link1", "Forum^http://forum.example/") +
         Entry("Link2", "Blog^http://blog.example/");
}

TBrandDocument Chosen(const std::string& plain, std::uint64_t seed = 1) {
  TBrandDocument document = ReadBrandDocument(plain);
  TBrandRandom random(seed);
  ChooseBrandEntries(document, random);
  return document;
}

TEST(SettingsLines, SplitAtEveryLineBreakKindAndStopAtNul) {
  EXPECT_THAT(SplitSettingsLines("a\r\nb\rc\nd"), ElementsAre("a", "b", "c", "d"));
  EXPECT_THAT(SplitSettingsLines("a\r\n"), ElementsAre("a"));
  EXPECT_THAT(SplitSettingsLines("a\n\r\nb"), ElementsAre("a", "", "b"));
  EXPECT_THAT(SplitSettingsLines(std::string("a\nb\0c\nd", 7)), ElementsAre("a", "b"));
  EXPECT_THAT(SplitSettingsLines(""), IsEmpty());
  EXPECT_EQ("a\r\n\r\nb\r\n", JoinSettingsLines({"a", "", "b"}));
}

TEST(BrandDocument, FullDocumentFillsEveryField) {
  const TBrandSettings s = Chosen(FullDocument()).Settings;
  EXPECT_EQ("Example Builder", s.ApplicationName);
  EXPECT_EQ("17", s.BranderCode);
  EXPECT_EQ("Gold", s.BranderType);
  EXPECT_EQ("http://shop.example/?aff=42", s.AffiliateURL);
  EXPECT_EQ("http://m.example/", s.MasterNewsBaseURL);
  EXPECT_EQ("http://p.example/", s.PlatinumNewsBaseURL);
  EXPECT_EQ("http://g.example/", s.GoldNewsBaseURL);
  EXPECT_EQ("M1", s.MasterPublID);
  EXPECT_EQ("P1", s.PlatinumPublID);
  EXPECT_EQ("G1", s.GoldPublID);
  EXPECT_EQ("Earn", s.MakeMoneyCaption);
  EXPECT_EQ("http://help.example/", s.AppHelpURL);
  EXPECT_EQ("2009-2011", s.CopyrightYears);
  EXPECT_EQ("Example Ltd", s.CopyrightCompany);
  EXPECT_EQ("About us", s.AboutText);
  EXPECT_EQ("<html>hi</html>", s.WelcomeHtml);
  EXPECT_EQ(1, s.BannerNumber);
  EXPECT_EQ("banner1.gif", s.BannerFile);
  EXPECT_EQ("http://b.example/", s.BannerURL);
  const std::set<std::string> links = {s.Link1Caption + "|" + s.Link1URL, s.Link2Caption + "|" + s.Link2URL};
  EXPECT_EQ((std::set<std::string>{"Forum|http://forum.example/", "Blog|http://blog.example/"}), links);
}

TEST(BrandDocument, EntryBeforeThePositionReachedCountsAsAbsent) {
  std::string plain = FullDocument();
  const std::string type = Entry("BranderType", "Gold");
  plain.erase(plain.find(type), type.size());
  plain.insert(0, type);
  const TBrandSettings s = Chosen(plain).Settings;
  EXPECT_EQ("", s.BranderType);
  EXPECT_EQ("Example Builder", s.ApplicationName);
  EXPECT_EQ("http://shop.example/?aff=42", s.AffiliateURL);
}

TEST(BrandDocument, TagsMatchInAnyLetterCase) {
  const TBrandSettings s =
      Chosen("<%%applicationname%%>Lower<%%/APPLICATIONNAME%%>\r\n<%%wElCoMe1%%>w<%%/welcome1%%>").Settings;
  EXPECT_EQ("Lower", s.ApplicationName);
  EXPECT_EQ("w", s.WelcomeHtml);
}

TEST(BrandDocument, MultiLineValuesGetCrLfBreaks) {
  EXPECT_EQ("one\r\ntwo\r\nthree", Chosen("<%%AboutText%%>one\ntwo\rthree<%%/AboutText%%>").Settings.AboutText);
  EXPECT_EQ("  spaced \r\n", Chosen("<%%AboutText%%>  spaced \r\n<%%/AboutText%%>").Settings.AboutText);
}

TEST(BrandDocument, MissingClosingTagReadsEmptyAndScanGoesOnAfterTheOpening) {
  const TBrandSettings s = Chosen("<%%ApplicationName%%>Name\r\n<%%BranderCode%%>5<%%/BranderCode%%>").Settings;
  EXPECT_EQ("", s.ApplicationName);
  EXPECT_EQ("5", s.BranderCode);
}

TEST(BrandDocument, EmptyDocumentGivesDefaults) {
  const TBrandDocument document = Chosen("");
  EXPECT_EQ("Make Money", document.Settings.MakeMoneyCaption);
  EXPECT_EQ(0, document.Settings.BannerNumber);
  EXPECT_EQ("", document.Settings.ApplicationName);
  EXPECT_THAT(document.Link, IsEmpty());
}

TEST(BrandDocument, NulByteEndsTheText) {
  const std::string plain = std::string("<%%ApplicationName%%>A<%%/ApplicationName%%>\0", 45) +
                            Entry("BranderCode", "9");
  const TBrandSettings s = Chosen(plain).Settings;
  EXPECT_EQ("A", s.ApplicationName);
  EXPECT_EQ("", s.BranderCode);
}

TEST(AffiliateUrl, AMillionPlaceholdersAreReplacedInOnePass) {
  // 15 MB of placeholders, under the settings file's cap: substituting them
  // one by one in place took minutes.
  std::string url;
  for (int i = 0; i < 1000000; ++i) url += "%%AFFILIATEID%%";
  const std::string id = "0123456789abcdef";
  const std::string replaced = Chosen(Entry("AffiliateURL", url) + Entry("AffiliateID", id)).Settings.AffiliateURL;
  ASSERT_EQ(replaced.size(), 16000000u);
  EXPECT_EQ(replaced.substr(0, 32), id + id);
  EXPECT_EQ(replaced.find('%'), std::string::npos);
}

TEST(AffiliateUrl, PlaceholderReplacedExactlyEveryTime) {
  EXPECT_EQ("http://x/42/42/%%affiliateid%%",
            Chosen(Entry("AffiliateURL", "http://x/%%AFFILIATEID%%/%%AFFILIATEID%%/%%affiliateid%%") +
                   Entry("AffiliateID", "42"))
                .Settings.AffiliateURL);
  EXPECT_EQ("http://x/?id=", Chosen(Entry("AffiliateURL", "http://x/?id=%%AFFILIATEID%%")).Settings.AffiliateURL);
  // The id's own text is not searched again.
  EXPECT_EQ("%%AFFILIATEID%%",
            Chosen(Entry("AffiliateURL", "%%AFFILIATEID%%") + Entry("AffiliateID", "%%AFFILIATEID%%"))
                .Settings.AffiliateURL);
}

TEST(Families, GapOrEmptyFirstMemberGivesNone) {
  EXPECT_THAT(ReadBrandDocument(Entry("Welcome2", "b") + Entry("Welcome3", "c")).Welcome, IsEmpty());
  const TBrandDocument emptyFirst = ReadBrandDocument(Entry("Welcome1", "") + Entry("Welcome2", "b"));
  EXPECT_THAT(emptyFirst.Welcome, IsEmpty());
  EXPECT_EQ("", Chosen(Entry("Welcome1", "") + Entry("Welcome2", "b")).Settings.WelcomeHtml);
  EXPECT_THAT(ReadBrandDocument(Entry("Link1", "a^1") + Entry("Link3", "c^3")).Link, ElementsAre("a^1"));
}

TEST(Families, FamiliesFollowOneAnother) {
  // A Welcome entry after the banners is still found, and the banners
  // searched after it are then behind the position reached.
  const TBrandDocument document = ReadBrandDocument(Entry("Banner1", "b.gif^u") + Entry("Welcome1", "w") +
                                                    Entry("Link1", "l^u"));
  EXPECT_THAT(document.Welcome, ElementsAre("w"));
  EXPECT_THAT(document.Banner, IsEmpty());
  EXPECT_THAT(document.Link, ElementsAre("l^u"));
}

TEST(Families, SeventeenBannersOnlySixteenTakePart) {
  std::string plain;
  for (int n = 1; n <= 17; ++n) plain += Entry("Banner" + std::to_string(n), "b" + std::to_string(n) + ".gif^u");
  plain += Entry("Link1", "after^u");
  const TBrandDocument document = ReadBrandDocument(plain);
  ASSERT_EQ(16u, document.Banner.size());
  EXPECT_EQ("b16.gif^u", document.Banner.back());
  EXPECT_THAT(document.Link, ElementsAre("after^u"));
  std::set<int> numbers;
  for (std::uint64_t seed = 0; seed < 400; ++seed) {
    const TBrandSettings s = Chosen(plain, seed).Settings;
    EXPECT_EQ("b" + std::to_string(s.BannerNumber) + ".gif", s.BannerFile);
    numbers.insert(s.BannerNumber);
  }
  EXPECT_EQ(16u, numbers.size());
  EXPECT_EQ(1, *numbers.begin());
  EXPECT_EQ(16, *numbers.rbegin());
}

TEST(Families, SplitFieldsOfBannersAndLinks) {
  TBrandSettings s = Chosen(Entry("Banner1", "^http://click.example/") + Entry("Link1", "Only caption")).Settings;
  EXPECT_EQ(1, s.BannerNumber);
  EXPECT_EQ("", s.BannerFile);
  EXPECT_EQ("http://click.example/", s.BannerURL);
  EXPECT_EQ("Only caption", s.Link1Caption);
  EXPECT_EQ("", s.Link1URL);
  EXPECT_EQ("", s.Link2Caption);
  EXPECT_EQ("", s.Link2URL);
  s = Chosen(Entry("Banner1", "a.gif^u^ignored") + Entry("Link1", "^")).Settings;
  EXPECT_EQ("u", s.BannerURL);
  EXPECT_EQ("", s.Link1Caption);
}

TEST(Families, TwoLinksAreDifferentAndComeInBothOrders) {
  const std::string plain = Entry("Link1", "A^1") + Entry("Link2", "B^2") + Entry("Link3", "C^3");
  std::set<std::string> pairs;
  for (std::uint64_t seed = 0; seed < 300; ++seed) {
    const TBrandSettings s = Chosen(plain, seed).Settings;
    EXPECT_NE(s.Link1Caption, s.Link2Caption);
    pairs.insert(s.Link1Caption + s.Link2Caption);
  }
  EXPECT_EQ(6u, pairs.size());
}

TEST(Random, SeededGeneratorRepeatsAndStaysInRange) {
  TBrandRandom a(99), b(99);
  for (int i = 0; i < 100; ++i) {
    const std::size_t pick = a.Pick(7);
    EXPECT_EQ(pick, b.Pick(7));
    EXPECT_LT(pick, 7u);
  }
  EXPECT_EQ(0u, a.Pick(1));
}

struct NewsCase {
  const char* Type;
  bool Master, Platinum, Gold;  // publisher and base address both set
  bool Shown;
  friend std::ostream& operator<<(std::ostream& out, const NewsCase& c) {
    return out << '"' << c.Type << '"' << c.Master << c.Platinum << c.Gold;
  }
};

class NewsButton : public ::testing::TestWithParam<NewsCase> {};

TEST_P(NewsButton, FollowsTheTierRule) {
  const NewsCase& c = GetParam();
  TBrandSettings s;
  s.BranderType = c.Type;
  if (c.Master) s.MasterPublID = s.MasterNewsBaseURL = "m";
  if (c.Platinum) s.PlatinumPublID = s.PlatinumNewsBaseURL = "p";
  if (c.Gold) s.GoldPublID = s.GoldNewsBaseURL = "g";
  EXPECT_EQ(c.Shown, NewsButtonShown(s));
}

INSTANTIATE_TEST_SUITE_P(
    Tiers, NewsButton,
    ::testing::Values(NewsCase{"Master", true, false, false, true}, NewsCase{"Master", false, true, true, false},
                      NewsCase{"Platinum", false, true, false, true}, NewsCase{"Platinum", true, false, true, false},
                      NewsCase{"Gold", false, false, true, true}, NewsCase{"Gold", true, true, false, false},
                      NewsCase{"Free", true, false, false, true}, NewsCase{"Free", false, true, true, false},
                      NewsCase{"master", true, true, true, false}, NewsCase{"", true, true, true, false},
                      NewsCase{"Gold ", true, true, true, false}),
    [](const auto& info) {
      std::string name = std::to_string(info.index) + "_";
      for (char c : std::string(info.param.Type)) {
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
      }
      return name;
    });

TEST(NewsButton, NeedsBothPublisherAndBaseAddress) {
  TBrandSettings s;
  s.BranderType = "Gold";
  s.GoldPublID = "g";
  EXPECT_FALSE(NewsButtonShown(s));
  s.GoldPublID.clear();
  s.GoldNewsBaseURL = "http://g/";
  EXPECT_FALSE(NewsButtonShown(s));
}

TEST(LastNewsIdLine, ReplacesOrAppends) {
  std::vector<std::string> lines = {"a", "b"};
  SetLastNewsIdLine(lines, "57");
  EXPECT_THAT(lines, ElementsAre("a", "b", "<%%LastNewsId%%>57<%%/LastNewsId%%>"));
  lines = {"a", "<%%LastNewsId%%>3<%%/LastNewsId%%>", "b", "<%%LastNewsId%%>4<%%/LastNewsId%%>"};
  SetLastNewsIdLine(lines, "57");
  EXPECT_THAT(lines, ElementsAre("a", "<%%LastNewsId%%>57<%%/LastNewsId%%>", "b",
                                 "<%%LastNewsId%%>4<%%/LastNewsId%%>"));
  // The read finds tags in any letter case, so the write updates that entry.
  lines = {"<%%lastnewsid%%>3<%%/LASTNEWSID%%>"};
  SetLastNewsIdLine(lines, "8");
  EXPECT_THAT(lines, ElementsAre("<%%LastNewsId%%>8<%%/LastNewsId%%>"));
  lines = {"<%%AboutText%%>x <%%LastNewsId%%>3<%%/LastNewsId%%> y<%%/AboutText%%>"};
  SetLastNewsIdLine(lines, "9");
  EXPECT_THAT(lines, ElementsAre("<%%AboutText%%>x <%%LastNewsId%%>9<%%/LastNewsId%%> y<%%/AboutText%%>"));
}

class SettingsFolder : public TFolderTest {
 protected:
  void TearDown() override {
    EXPECT_FALSE(std::filesystem::exists(FPath / "dbsettings.sim"));
    TFolderTest::TearDown();
  }
  void Store(const std::string& plain) {
    std::string container;
    ASSERT_TRUE(EncryptSettingsBytes(plain, container));
    WriteWholeFile(File(), container);
  }
  std::string File() const { return FFolder + "dbsettings.dat"; }
  std::string Plain() const {
    std::string plain;
    EXPECT_TRUE(DecryptSettingsBytes(ReadWholeFile(File()), plain));
    return plain;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(FPath)) names.push_back(item.path().filename());
    return names;
  }
};

TEST_F(SettingsFolder, NoSettingsFile) {
  TBrandSettings s;
  s.ApplicationName = "stale";
  s.BannerNumber = 3;
  TBrandRandom random(1);
  EXPECT_FALSE(LoadBrandSettings(FFolder, s, random));
  EXPECT_EQ("", s.ApplicationName);
  EXPECT_EQ("", s.MakeMoneyCaption);
  EXPECT_EQ(0, s.BannerNumber);
  EXPECT_EQ("", ReadLastNewsId(FFolder));
  WriteLastNewsId(FFolder, "5");
  EXPECT_THAT(Names(), IsEmpty());
}

TEST_F(SettingsFolder, LoadsTheEncryptedDocument) {
  Store(FullDocument());
  WriteWholeFile(FFolder + "dbsettings.sim", "left over by a crash");
  TBrandSettings s;
  TBrandRandom random(3);
  EXPECT_TRUE(LoadBrandSettings(FFolder, s, random));
  EXPECT_EQ("Example Builder", s.ApplicationName);
  EXPECT_EQ("banner1.gif", s.BannerFile);
  EXPECT_TRUE(NewsButtonShown(s));
  EXPECT_TRUE(LoadBrandSettings(FFolder, s));
  EXPECT_EQ("Example Builder", s.ApplicationName);
}

TEST_F(SettingsFolder, UndecryptableOrAlteredFileReadsAsEmptyDocument) {
  const std::string document = FullDocument() + "<%%LastNewsId%%>12<%%/LastNewsId%%>\r\n";
  std::string container;
  ASSERT_TRUE(EncryptSettingsBytes(document, container));
  std::string altered = container;
  altered[30] = static_cast<char>(altered[30] ^ 0x04);
  for (const std::string& bytes : {altered, container.substr(0, 19), std::string(500, 'x'), std::string()}) {
    WriteWholeFile(File(), bytes);
    TBrandSettings s;
    TBrandRandom random(1);
    EXPECT_TRUE(LoadBrandSettings(FFolder, s, random));
    EXPECT_EQ("", s.ApplicationName);
    EXPECT_EQ("", s.AffiliateURL);
    EXPECT_EQ("Make Money", s.MakeMoneyCaption);
    EXPECT_EQ("", ReadLastNewsId(FFolder));
    WriteLastNewsId(FFolder, "99");
    EXPECT_EQ(bytes, ReadWholeFile(File()));
    EXPECT_THAT(Names(), ElementsAre("dbsettings.dat"));
  }
}

TEST_F(SettingsFolder, ReadsInMemoryWhereNoWorkingCopyCanBeMade) {
  Store(FullDocument() + "<%%LastNewsId%%>6<%%/LastNewsId%%>\r\n");
  std::filesystem::create_directory(FPath / "dbsettings.sim");
  TBrandSettings s;
  TBrandRandom random(1);
  EXPECT_TRUE(LoadBrandSettings(FFolder, s, random));
  EXPECT_EQ("Example Builder", s.ApplicationName);
  EXPECT_EQ("6", ReadLastNewsId(FFolder));
  EXPECT_THROW(WriteLastNewsId(FFolder, "7"), std::system_error);
  EXPECT_EQ("6", ReadLastNewsId(FFolder));
  std::filesystem::remove(FPath / "dbsettings.sim");
  EXPECT_THAT(Names(), ElementsAre("dbsettings.dat"));
}

TEST_F(SettingsFolder, FolderNamedLikeTheSettingsFileIsNoSettingsFile) {
  std::filesystem::create_directory(FPath / "dbsettings.dat");
  TBrandSettings s;
  EXPECT_FALSE(LoadBrandSettings(FFolder, s));
  std::filesystem::remove(FPath / "dbsettings.dat");
}

TEST_F(SettingsFolder, ReadLastNewsIdAnywhereInAnyCase) {
  Store("<%%lastNEWSid%%>31<%%/LastNewsId%%>\r\n" + FullDocument());
  EXPECT_EQ("31", ReadLastNewsId(FFolder));
  TBrandSettings s;
  TBrandRandom random(1);
  LoadBrandSettings(FFolder, s, random);
  EXPECT_EQ("Example Builder", s.ApplicationName);
}

TEST_F(SettingsFolder, WriteAppendsThenReplaces) {
  Store("first\nsecond\r<%%ApplicationName%%>A<%%/ApplicationName%%>");
  ::chmod(File().c_str(), 0640);
  WriteLastNewsId(FFolder, "57");
  EXPECT_EQ("first\r\nsecond\r\n<%%ApplicationName%%>A<%%/ApplicationName%%>\r\n"
            "<%%LastNewsId%%>57<%%/LastNewsId%%>\r\n",
            Plain());
  EXPECT_EQ("57", ReadLastNewsId(FFolder));
  WriteLastNewsId(FFolder, "58");
  EXPECT_EQ("first\r\nsecond\r\n<%%ApplicationName%%>A<%%/ApplicationName%%>\r\n"
            "<%%LastNewsId%%>58<%%/LastNewsId%%>\r\n",
            Plain());
  EXPECT_THAT(Names(), ElementsAre("dbsettings.dat"));
  struct stat info {};
  ASSERT_EQ(0, ::stat(File().c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 0777);
}

TEST_F(SettingsFolder, WriteUpdatesAnEntryInAnotherLetterCase) {
  Store("<%%lastnewsid%%>3<%%/lastnewsid%%>\r\nrest\r\n");
  WriteLastNewsId(FFolder, "4");
  EXPECT_EQ("<%%LastNewsId%%>4<%%/LastNewsId%%>\r\nrest\r\n", Plain());
  EXPECT_EQ("4", ReadLastNewsId(FFolder));
}

TEST_F(SettingsFolder, WriteRefusesIdsThatWouldAddEntries) {
  Store(Entry("Link1", "Forum^http://forum.example/"));
  const std::string before = ReadWholeFile(File());
  for (const std::string& id : {std::string("5\r\n<%%Link2%%>x^http://evil/<%%/Link2%%>"), std::string("5\n"),
                               std::string("5<%%/LastNewsId%%>"), std::string("5\0", 2)}) {
    WriteLastNewsId(FFolder, id);
    EXPECT_EQ(before, ReadWholeFile(File()));
  }
  WriteLastNewsId(FFolder, "");
  EXPECT_EQ("", ReadLastNewsId(FFolder));
  EXPECT_NE(before, ReadWholeFile(File()));
}

}  // namespace
}  // namespace halvane
