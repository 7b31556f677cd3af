// halvane-harvest's command line, its output files and exit codes, against
// in-memory sources.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/harvest/HarvestFixture.h"

namespace halvane::harvest {
namespace {

namespace fs = std::filesystem;

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

TEST(HarvestArguments, AKeywordsFileIsARegularFileOfBoundedSizeWithComments) {
  EXPECT_EQ(KeywordsFromText("# garden\nblue widgets\n  # not this\n\nred #1\n"),
            (std::vector<std::string>{"blue widgets", "red #1"}));
  const fs::path folder = fs::temp_directory_path() / "halvane-keywords-files";
  fs::remove_all(folder);
  fs::create_directories(folder);
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  std::ofstream(folder / "big").close();
  fs::resize_file(folder / "big", kMaxKeywordsFileBytes + 1);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {(folder / "fifo").string(), ": not a regular file (a FIFO)"},
      {"/dev/zero", ": not a regular file (a character device)"},
      {folder.string(), ": not a regular file (a folder)"},
      {(folder / "big").string(), ": larger than 16 MB, the most this file may hold"},
  };
  for (const auto& [path, reason] : cases) {
    std::string error;
    EXPECT_FALSE(ParseHarvestArguments({"--keywords", path}, error)) << path;
    EXPECT_EQ(error, "cannot read keywords file " + path + reason);
  }
  fs::remove_all(folder);
}

// --keyword/--keywords and --footprint/--footprints: one value as given or
// one file of them. A footprints file is read when met, a keywords file once
// the whole command line is known good, which decides the error shown first.
TEST(HarvestArguments, ListOptionsTakeOneValueOrOneFileReadInTheirTurn) {
  const fs::path folder = fs::temp_directory_path() / "halvane-list-options";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string footprints = (folder / "footprints").string();
  std::ofstream(footprints) << "# mine\n  {keyword} inurl:blog \n\n\"{keyword}\" \"leave a reply\"\n";
  const std::string empty = (folder / "empty").string();
  std::ofstream(empty) << "# nothing yet\n\n";

  const auto fromFile = Parse({"--keyword", " blue  ", "--footprints", footprints});
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(fromFile->Keywords, std::vector<std::string>{" blue  "});
  EXPECT_EQ(fromFile->Footprints,
            (std::vector<std::string>{"{keyword} inurl:blog", "\"{keyword}\" \"leave a reply\""}));
  const auto one = Parse({"--footprint", " a {keyword} ", "--keyword", "k"});
  ASSERT_TRUE(one);
  EXPECT_EQ(one->Footprints, std::vector<std::string>{" a {keyword} "});

  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--keyword", "a", "--keyword", "b"}, "give one --keyword or one --keywords"},
      {{"--keywords", empty, "--keyword", "a"}, "give one --keyword or one --keywords"},
      {{"--keyword", "x", "--footprints", footprints, "--footprint", "a"}, "give one --footprint or one --footprints"},
      {{"--keyword", "x", "--footprint", "a", "--footprint", "b"}, "give one --footprint or one --footprints"},
      {{"--keyword", "x", "--footprints", empty}, "footprints file " + empty + " holds no footprint"},
      {{"--keywords", empty}, "keywords file " + empty + " holds no keyword"},
      {{"--keywords", "/nonexistent/k.txt", "--depth", "0"}, "--depth wants a number from 1 to 10, not '0'"},
      {{"--footprints", "/nonexistent/f.txt", "--depth", "0"}, "cannot read footprints file /nonexistent/f.txt"},
      {{"--footprints", "/nonexistent/f.txt"}, "cannot read footprints file /nonexistent/f.txt"},
      {{"--keywords", "/nonexistent/k.txt", "--footprints", empty}, "footprints file " + empty + " holds no footprint"},
  };
  for (const auto& [args, message] : cases) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << message;
    EXPECT_EQ(error, message);
  }
  fs::remove_all(folder);
}

const std::string kHeader =
    "\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n";
const std::string kRow1 = "\"4\",\"https://a.example.org/1\",\"Open\",\"None yet\",\"No\",\"-\",\"-\"\r\n";
const std::string kRow2 = "\"7\",\"https://b.example.net/2\",\"Open\",\"None yet\",\"Yes\",\"mine\",\"1,234\"\r\n";
const std::string kRow3 = "\"-\",\"https://c.example.com/3\",\"Open\",\"None yet\",\"No\",\"-\",\"-\"\r\n";

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

TEST(HarvestCommand, ReportSaysWhatBecameOfEveryAddress) {
  THarvestFixture fixture;
  const fs::path file = fs::temp_directory_path() / "halvane-harvest-report.csv";
  THarvestOptions options = *Parse({"--keyword", "blue", "--report", file.string()});
  EXPECT_EQ(fixture.Run(options), kHarvestFinished);
  EXPECT_EQ(ReadFile(file),
            "\"Address\",\"Final Address\",\"Result\"\r\n"
            "\"https://a.example.org/1\",\"https://a.example.org/1\",\"kept\"\r\n"
            "\"https://b.example.net/2\",\"https://b.example.net/2\",\"kept\"\r\n"
            "\"https://c.example.com/3\",\"https://c.example.com/3\",\"kept\"\r\n");
  fs::remove(file);
  std::string error;
  EXPECT_FALSE(ParseHarvestArguments({"--keyword", "x", "--report", ""}, error));
  EXPECT_EQ(error, "--report needs a file name");
}

TEST(HarvestCommand, SeveralKeywordsGetAKeywordColumnOneAfterAnother) {
  THarvestFixture fixture;
  const fs::path file = fs::temp_directory_path() / "halvane-harvest-test.json";
  THarvestOptions options = *Parse({"--keyword", "x", "--json", file.string(), "--quiet"});
  options.Keywords = {"red", "green"};
  EXPECT_EQ(fixture.Run(options), kHarvestFinished);
  EXPECT_EQ(fixture.Harvest->Starts.load(), 2);
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.substr(0, 28), "[\n  {\n    \"keyword\": \"red\",\n");
  EXPECT_LT(text.find("\"keyword\": \"red\""), text.find("\"keyword\": \"green\""));
  std::size_t objects = 0;
  for (std::size_t at = text.find("\"keyword\""); at != std::string::npos; at = text.find("\"keyword\"", at + 1)) {
    ++objects;
  }
  EXPECT_EQ(objects, 6u);
  EXPECT_EQ(text.find("\"anchor\": \"Mine\""), std::string::npos);  // no user domain given
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
            kHeader + "\"-\",\"https://a.example.org/1\",\"Open\",\"None yet\",\"No\",\"-\",\"-\"\r\n"
                      "\"-\",\"https://b.example.net/2\",\"Open\",\"None yet\",\"No\",\"-\",\"1,234\"\r\n" + kRow3);
}

TEST(HarvestCommand, AnOutputThatCannotBeWrittenIsRefusedBeforeTheRun) {
  const fs::path folder = fs::temp_directory_path() / "halvane-harvest-outputs";
  fs::remove_all(folder);
  fs::create_directories(folder / "sub");
  std::ofstream(folder / "file") << "x";
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/nonexistent/folder/out.csv", "no such folder /nonexistent/folder"},
      {(folder / "sub").string(), "it is a folder"},
      {(folder / "fifo").string(), "it is not a regular file (a FIFO, a device or a socket)"},
      {(folder / "file" / "out.csv").string(), (folder / "file").string() + " is not a folder"},
  };
  for (const auto& [path, reason] : cases) {
    THarvestFixture fixture;
    const THarvestOptions options = *Parse({"--keyword", "b", "--csv", path, "--quiet"});
    EXPECT_EQ(fixture.Run(options), kHarvestBadArguments) << path;
    EXPECT_EQ(fixture.Err.str(), "halvane-harvest: cannot write " + path + ": " + reason + "\n");
    EXPECT_EQ(fixture.Harvest->Starts.load(), 0) << path;
  }
  if (geteuid() != 0) {  // root writes anywhere
    fs::permissions(folder / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    THarvestFixture fixture;
    const std::string path = (folder / "sub" / "out.csv").string();
    EXPECT_EQ(fixture.Run(*Parse({"--keyword", "b", "--csv", path, "--quiet"})), kHarvestBadArguments);
    EXPECT_EQ(fixture.Err.str(), "halvane-harvest: cannot write " + path + ": the folder " +
                                     (folder / "sub").string() + " is not writable (Permission denied)\n");
    fs::permissions(folder / "sub", fs::perms::owner_all);
  }
  fs::remove_all(folder);
}

TEST(HarvestCommand, AFailedWriteSaysTheSystemsReason) {
  const fs::path folder = fs::temp_directory_path() / "halvane-harvest-vanishing";
  fs::create_directories(folder);
  THarvestFixture fixture;
  // The folder goes once the run has begun, after the check.
  fixture.Harvest->OnStart = [folder] { fs::remove_all(folder); };
  const std::string path = (folder / "out.csv").string();
  EXPECT_EQ(fixture.Run(*Parse({"--keyword", "b", "--csv", path, "--quiet"})), kHarvestSourceFailed);
  EXPECT_EQ(fixture.Err.str(), "halvane-harvest: cannot write " + path + ": No such file or directory\n");
}

// The report is an output too: checked before the run, and written after
// the rows, so that a report that cannot be written loses none of them.
TEST(HarvestCommand, TheReportFileIsCheckedFirstAndNeverCostsTheRows) {
  const fs::path folder = fs::temp_directory_path() / "halvane-harvest-report-outputs";
  fs::remove_all(folder);
  fs::create_directories(folder / "sub");
  {
    THarvestFixture fixture;
    const std::string report = (folder / "sub").string();
    EXPECT_EQ(fixture.Run(*Parse({"--keyword", "b", "--report", report, "--quiet"})), kHarvestBadArguments);
    EXPECT_EQ(fixture.Err.str(), "halvane-harvest: cannot write " + report + ": it is a folder\n");
    EXPECT_EQ(fixture.Harvest->Starts.load(), 0);
  }
  THarvestFixture fixture;
  const fs::path reportFolder = folder / "vanishing";
  fs::create_directories(reportFolder);
  fixture.Harvest->OnStart = [reportFolder] { fs::remove_all(reportFolder); };
  const std::string csv = (folder / "rows.csv").string();
  const std::string report = (reportFolder / "report.csv").string();
  EXPECT_EQ(fixture.Run(*Parse({"--keyword", "b", "--domain", "mine.com", "--csv", csv, "--report", report, "--quiet"})),
            kHarvestSourceFailed);
  EXPECT_EQ(ReadFile(csv), kHeader + kRow1 + kRow2 + kRow3);
  EXPECT_EQ(fixture.Err.str(), "halvane-harvest: cannot write " + report + ": No such file or directory\n");
  fs::remove_all(folder);
}

TEST(HarvestCommand, ARunThatFailsBeforeAnyRowLeavesTheEarlierFile) {
  const fs::path file = fs::temp_directory_path() / "halvane-harvest-earlier.csv";
  std::ofstream(file, std::ios::binary) << "135 rows";
  THarvestFixture fixture;
  fixture.Harvest->Addresses.clear();
  fixture.Harvest->Error = "FakeEngine at engine.test cannot be reached";
  EXPECT_EQ(fixture.Run(*Parse({"--keyword", "b", "--csv", file.string(), "--quiet"})), kHarvestSourceFailed);
  EXPECT_EQ(ReadFile(file), "135 rows");
  EXPECT_EQ(fixture.Err.str(), "halvane-harvest: FakeEngine at engine.test cannot be reached\n"
                               "halvane-harvest: " + file.string() + " not written: the run ended before it found a row\n");
  // A run that finds nothing, and says nothing failed, writes its empty table.
  THarvestFixture empty;
  empty.Harvest->Addresses.clear();
  EXPECT_EQ(empty.Run(*Parse({"--keyword", "b", "--csv", file.string(), "--quiet"})), kHarvestFinished);
  EXPECT_EQ(ReadFile(file), kHeader);
  fs::remove(file);
}

TEST(HarvestCommand, AnInterruptStopsAndWritesTheRowsSoFar) {
  THarvestFixture fixture(true);
  THarvestOptions options = *Parse({"--keyword", "blue", "--quiet"});
  options.Keywords = {"red", "green"};
  std::atomic<bool> interrupted{false};
  // Once both figures have been handed to the run (the third page never
  // answers on its own).
  std::thread interrupter([&] {
    fixture.Authority->WaitForAnswers(2);
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
                "\"7\",\"https://b.example.net/2\",\"Open\",\"None yet\",\"No\",\"-\",\"1,234\"\r\n");
}

TEST(TProgressReport, TheBarSaysTheTimeLeftAndFitsTheTerminal) {
  // Pure functions of the figures handed in: the durations are values,
  // nothing here waits.
  EXPECT_EQ(TProgressReport::TimeLeftText(212, 40, std::chrono::seconds(20)), "about 1:26 left");
  EXPECT_EQ(TProgressReport::TimeLeftText(212, 0, std::chrono::seconds(20)), "");
  EXPECT_EQ(TProgressReport::TimeLeftText(212, 212, std::chrono::seconds(20)), "");
  EXPECT_EQ(TProgressReport::FitWidth("Judging 1 of 2 pages", 7), "Judging");
  EXPECT_EQ(TProgressReport::FitWidth("caf\xC3\xA9 au lait", 4), "caf\xC3\xA9");
  EXPECT_EQ(TProgressReport::FitWidth("short", 0), "short");
  std::ostringstream bar;
  TProgressReport report(bar, TProgressReport::TStyle::Bar);
  report.SetWidth(40);
  report.Counts(212, 40, 12);
  report.Status("Searching SearXNG, page 3 of a very long status text...");
  // Cut at 39 columns, the line ends before its clock: whatever time the
  // drawing took, the same text.
  const std::string drawn = bar.str().substr(bar.str().rfind("\r\033[K") + 4);
  EXPECT_EQ(drawn, TProgressReport::BarText(212, 40, 12, std::chrono::seconds(0)).substr(0, 39));
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
}  // namespace halvane::harvest
