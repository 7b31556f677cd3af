// halvane-harvest's command line, its output files and exit codes, against
// in-memory sources.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/liverun/LiveRunFakes.h"
#include "liverun/ClassicPageJudge.h"
#include "liverun/HarvestCommand.h"

namespace halvane::liverun {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::optional<THarvestOptions> Parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
  std::string error;
  auto options = ParseHarvestArguments(args, error);
  if (errorOut) *errorOut = error;
  EXPECT_EQ(options.has_value(), error.empty()) << error;
  return options;
}

TEST(HarvestArguments, TakesEveryOptionAndTidiesTheDomainAsTheDomainBoxDoes) {
  const auto options = Parse({"--sources", "s.ini", "--keyword", "blue widgets", "--domain", "  My-Site.COM \t",
                              "--depth", "10", "--json", "out.json", "--parallel", "16", "--quiet"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->SourcesFile, "s.ini");
  EXPECT_EQ(options->Keywords, std::vector<std::string>{"blue widgets"});
  EXPECT_EQ(options->Domain, "my-site.com");
  EXPECT_EQ(options->Depth, 10);
  EXPECT_EQ(options->JsonFile, "out.json");
  EXPECT_EQ(options->Parallel, 16);
  EXPECT_TRUE(options->Quiet);
  const auto plain = Parse({"--keyword", "k"});
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Depth, 1);
  EXPECT_FALSE(plain->Parallel);
  EXPECT_TRUE(plain->CsvFile.empty() && plain->JsonFile.empty());
}

TEST(HarvestArguments, RefusesBadCommandLinesSayingWhy) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "give --keyword TEXT or --keywords FILE"},
      {{"--keyword"}, "--keyword needs a value"},
      {{"--keyword", "  "}, "--keyword is empty"},
      {{"--keyword", "a", "--keywords", "f"}, "give one --keyword or one --keywords"},
      {{"--keyword", "a", "--depth", "0"}, "--depth wants a number from 1 to 10, not '0'"},
      {{"--keyword", "a", "--depth", "11"}, "--depth wants a number from 1 to 10, not '11'"},
      {{"--keyword", "a", "--depth", "2x"}, "--depth wants a number from 1 to 10, not '2x'"},
      {{"--keyword", "a", "--parallel", "17"}, "--parallel wants a number from 1 to 16, not '17'"},
      {{"--keyword", "a", "--csv", "a.csv", "--json", "a.json"}, "give one --csv or one --json"},
      {{"--keyword", "a", "--domain", "x", "--domain", "y"}, "--domain given twice"},
      {{"--keyword", "a", "--verbose"}, "unknown argument '--verbose'"},
      {{"--keywords", "/nonexistent/k.txt"}, "cannot read keywords file /nonexistent/k.txt"},
  };
  for (const auto& [args, message] : cases) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << message;
    EXPECT_EQ(error, message);
  }
}

TEST(HarvestArguments, ReadsKeywordsOneALine) {
  EXPECT_EQ(KeywordsFromText("\xEF\xBB\xBF" "blue widgets\r\n\n  red  \t\n\ngreen"),
            (std::vector<std::string>{"blue widgets", "red", "green"}));
  const fs::path file = fs::temp_directory_path() / "halvane-keywords-test.txt";
  std::ofstream(file) << "\n \n";
  std::string error;
  EXPECT_FALSE(ParseHarvestArguments({"--keywords", file.string()}, error));
  EXPECT_EQ(error, "keywords file " + file.string() + " holds no keyword");
  fs::remove(file);
}

TEST(LiveOutput, WritesCsvAndJsonByteForByte) {
  TLiveTable table = HarvestTable(true);
  table.Rows.push_back({"a \"b\"", "3", "https://x.org/1", "Open", "Yes", "Say, \"hi\"", "12,345"});
  table.Rows.push_back({"k", "-", "http://y.org/", "Closed", "No", "-", "-"});
  EXPECT_EQ(LiveCsvText(table),
            "\"Keyword\",\"Authority\",\"URL\",\"Comments\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n"
            "\"a \"\"b\"\"\",\"3\",\"https://x.org/1\",\"Open\",\"Yes\",\"Say, \"\"hi\"\"\",\"12,345\"\r\n"
            "\"k\",\"-\",\"http://y.org/\",\"Closed\",\"No\",\"-\",\"-\"\r\n");
  table.Rows.resize(1);
  table.Rows[0][5] = "bad \xff byte";
  EXPECT_EQ(LiveJsonText(table),
            "[\n  {\n    \"Keyword\": \"a \\\"b\\\"\",\n    \"Authority\": \"3\",\n"
            "    \"URL\": \"https://x.org/1\",\n    \"Comments\": \"Open\",\n    \"Has Your Link\": \"Yes\",\n"
            "    \"Anchor Name\": \"bad \xEF\xBF\xBD byte\",\n    \"Traffic Rank\": \"12,345\"\n  }\n]\n");
  EXPECT_EQ(LiveJsonText(HarvestTable(false)), "[]\n");
}

// Sources for halvane-harvest: three pages for any keyword; the second links
// to the user; the third never answers when slow is set.
struct THarvestFixture {
  explicit THarvestFixture(bool slow = false) {
    auto harvest = std::make_unique<TFakeHarvest>();
    harvest->Addresses = {"https://a.example.org/1", "https://b.example.net/2", "https://c.example.com/3"};
    Harvest = harvest.get();
    auto pages = std::make_unique<TFakeFetcher>(2);
    pages->Pages[harvest->Addresses[0]] = {Answer(200, QualifyingPage("", "")), 0};
    pages->Pages[harvest->Addresses[1]] = {Answer(200, QualifyingPage("mine.com", "Mine")), 0};
    pages->Pages[harvest->Addresses[2]] = {Answer(200, QualifyingPage("", "")), slow ? 60000 : 5};
    auto authority = std::make_unique<TFakeAuthority>();
    authority->Figures = {{"example.org", 4}, {"example.net", 7}};
    Authority = authority.get();
    auto ranking = std::make_unique<TFakeRanking>();
    ranking->Cells = {{"https://b.example.net/2", "1,234"}};
    Parts.Harvest = std::move(harvest);
    Parts.Pages = std::move(pages);
    Parts.Authority = std::move(authority);
    Parts.Ranking = std::move(ranking);
    Parts.Judge = ClassicPageJudge;
  }
  int Run(const THarvestOptions& options, const std::atomic<bool>& interrupted = std::atomic<bool>(false)) {
    return RunHarvest(options, Parts, {Out, Err, TProgressReport::TStyle::Lines}, interrupted);
  }
  TLiveRunParts Parts;
  TFakeHarvest* Harvest = nullptr;
  TFakeAuthority* Authority = nullptr;
  std::ostringstream Out;
  std::ostringstream Err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

const std::string kHeader =
    "\"Authority\",\"URL\",\"Comments\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n";
const std::string kRow1 = "\"4\",\"https://a.example.org/1\",\"Open\",\"No\",\"-\",\"-\"\r\n";
const std::string kRow2 = "\"7\",\"https://b.example.net/2\",\"Open\",\"Yes\",\"mine\",\"1,234\"\r\n";
const std::string kRow3 = "\"-\",\"https://c.example.com/3\",\"Open\",\"No\",\"-\",\"-\"\r\n";

TEST(HarvestCommand, OneKeywordWritesTheLiveCaptionsAndRowsAsCsv) {
  THarvestFixture fixture;
  THarvestOptions options = *Parse({"--keyword", "blue", "--domain", "MINE.com"});
  EXPECT_EQ(fixture.Run(options), kHarvestFinished);
  EXPECT_EQ(fixture.Out.str(), kHeader + kRow1 + kRow2 + kRow3);
  EXPECT_NE(fixture.Err.str().find("3 rows from 3 pages"), std::string::npos) << fixture.Err.str();

  const fs::path file = fs::temp_directory_path() / "halvane-harvest-test.csv";
  options.CsvFile = file.string();
  THarvestFixture again;
  EXPECT_EQ(again.Run(options), kHarvestFinished);
  EXPECT_EQ(ReadFile(file), kHeader + kRow1 + kRow2 + kRow3);
  EXPECT_TRUE(again.Out.str().empty());
  fs::remove(file);
}

TEST(HarvestCommand, SeveralKeywordsGetAKeywordColumnOneAfterAnother) {
  THarvestFixture fixture;
  const fs::path file = fs::temp_directory_path() / "halvane-harvest-test.json";
  THarvestOptions options = *Parse({"--keyword", "x", "--json", file.string(), "--quiet"});
  options.Keywords = {"red", "green"};
  EXPECT_EQ(fixture.Run(options), kHarvestFinished);
  EXPECT_EQ(fixture.Harvest->Starts.load(), 2);
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.substr(0, 28), "[\n  {\n    \"Keyword\": \"red\",\n");
  EXPECT_LT(text.find("\"Keyword\": \"red\""), text.find("\"Keyword\": \"green\""));
  std::size_t objects = 0;
  for (std::size_t at = text.find("\"Keyword\""); at != std::string::npos; at = text.find("\"Keyword\"", at + 1)) {
    ++objects;
  }
  EXPECT_EQ(objects, 6u);
  EXPECT_EQ(text.find("\"Anchor Name\": \"Mine\""), std::string::npos);  // no user domain given
  EXPECT_TRUE(fixture.Err.str().empty()) << fixture.Err.str();
  fs::remove(file);
}

TEST(HarvestCommand, AFailedSourceExitsOneWithTheReasonAndKeepsTheRows) {
  THarvestFixture fixture;
  fixture.Authority->FailFromCall = 0;
  const THarvestOptions options = *Parse({"--keyword", "blue", "--quiet"});
  EXPECT_EQ(fixture.Run(options), kHarvestSourceFailed);
  EXPECT_EQ(fixture.Err.str(), "halvane-harvest: FakeRank at rank.test failed on its side (HTTP 500)\n");
  EXPECT_EQ(fixture.Out.str(),
            kHeader + "\"-\",\"https://a.example.org/1\",\"Open\",\"No\",\"-\",\"-\"\r\n"
                      "\"-\",\"https://b.example.net/2\",\"Open\",\"No\",\"-\",\"1,234\"\r\n" + kRow3);
}

TEST(HarvestCommand, AnOutputThatCannotBeWrittenExitsOne) {
  THarvestFixture fixture;
  const THarvestOptions options = *Parse({"--keyword", "b", "--csv", "/nonexistent/folder/out.csv", "--quiet"});
  EXPECT_EQ(fixture.Run(options), kHarvestSourceFailed);
  EXPECT_EQ(fixture.Err.str(), "halvane-harvest: cannot write /nonexistent/folder/out.csv\n");
}

TEST(HarvestCommand, AnInterruptStopsAndWritesTheRowsSoFar) {
  THarvestFixture fixture(true);
  THarvestOptions options = *Parse({"--keyword", "blue", "--quiet"});
  options.Keywords = {"red", "green"};
  std::atomic<bool> interrupted{false};
  std::thread interrupter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    interrupted = true;
  });
  const auto before = std::chrono::steady_clock::now();
  const int code = fixture.Run(options, interrupted);
  interrupter.join();
  EXPECT_EQ(code, kHarvestInterrupted);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  EXPECT_EQ(fixture.Harvest->Starts.load(), 1);
  EXPECT_EQ(fixture.Out.str(),
            "\"Keyword\"," + kHeader + "\"red\"," + kRow1 + "\"red\"," +
                "\"7\",\"https://b.example.net/2\",\"Open\",\"No\",\"-\",\"1,234\"\r\n");
}

TEST(TProgressReport, DrawsTheBarFromTheCounts) {
  EXPECT_EQ(TProgressReport::BarText(212, 40, 12, std::chrono::seconds(73)),
            "[###-----------------] 40/212 pages judged, 12 rows, 1:13");
  EXPECT_EQ(TProgressReport::BarText(0, 0, 1, std::chrono::seconds(0)),
            "[--------------------] 0/0 pages judged, 1 row, 0:00");
  std::ostringstream quiet;
  TProgressReport report(quiet, TProgressReport::TStyle::Quiet);
  report.Status("Judging 1 of 2 pages...");
  report.Final("done");
  EXPECT_TRUE(quiet.str().empty());
}

}  // namespace
}  // namespace halvane::liverun
