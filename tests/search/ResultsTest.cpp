#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "search/CsvExport.h"
#include "search/ResultsCompare.h"
#include "search/ResultsList.h"
#include "search/TSortState.h"

namespace halvane {
namespace {

int SimpleTextCompare(std::string_view a, std::string_view b) {
  std::string x(a), y(b);
  for (auto* s : {&x, &y}) {
    std::transform(s->begin(), s->end(), s->begin(), [](unsigned char c) { return std::tolower(c); });
  }
  return x.compare(y);
}

TResultItem Row(std::string pr, std::string url, std::string home = "", std::string alexa = "") {
  TResultItem item;
  item.PR = std::move(pr);
  item.URL = std::move(url);
  item.HomePagePR = std::move(home);
  item.AlexaRanking = std::move(alexa);
  return item;
}

std::vector<std::string> Column(const std::vector<TResultItem>& rows, int column) {
  std::vector<std::string> cells;
  for (const auto& row : rows) cells.push_back(ResultCellText(row, column));
  return cells;
}

TEST(CompareNumbers, CommasRemovedInvalidIsZero) {
  EXPECT_EQ(CompareNumbers("1,234", "987"), 1);
  EXPECT_EQ(CompareNumbers("-", "0"), 0);
  EXPECT_EQ(CompareNumbers("No Data", ""), 0);
  EXPECT_EQ(CompareNumbers("-5", "-"), -1);
  EXPECT_EQ(CompareNumbers("+5", "4"), 1);
  EXPECT_EQ(CompareNumbers("2147483647", "2,147,483,648"), 1);  // out of range is 0
  EXPECT_EQ(CompareNumbers("-2147483648", "0"), -1);
  EXPECT_EQ(CompareNumbers("12x", "1"), -1);
  EXPECT_EQ(CompareNumbers(" 5", "1"), -1);
}

TEST(SortResults, ColumnsAndDirections) {
  std::vector<TResultItem> rows = {Row("2", "http://b", "3", "1,234"),
                                   Row("10", "http://C", "1", "-"),
                                   Row("1", "http://a", "2", "987")};
  TSortState sort;
  sort.HeaderClick(kColumnAlexaRanking);
  EXPECT_TRUE(sort.SortAscending);
  SortResultItems(rows, sort.SortColumn, sort.SortAscending, SimpleTextCompare);
  EXPECT_EQ(Column(rows, kColumnAlexaRanking), (std::vector<std::string>{"-", "987", "1,234"}));
  sort.HeaderClick(kColumnAlexaRanking);
  SortResultItems(rows, sort.SortColumn, sort.SortAscending, SimpleTextCompare);
  EXPECT_EQ(Column(rows, kColumnAlexaRanking), (std::vector<std::string>{"1,234", "987", "-"}));

  // "PR" is ordered as text.
  SortResultItems(rows, kColumnPR, true, SimpleTextCompare);
  EXPECT_EQ(Column(rows, kColumnPR), (std::vector<std::string>{"1", "10", "2"}));
  // The injected comparison decides the text order (case-insensitive here).
  SortResultItems(rows, kColumnURL, true, SimpleTextCompare);
  EXPECT_EQ(Column(rows, kColumnURL), (std::vector<std::string>{"http://a", "http://b", "http://C"}));
}

TEST(SortState, DirectionCarriesOverToAnotherColumn) {
  TSortState sort;
  EXPECT_EQ(sort.SortColumn, -1);
  sort.HeaderClick(kColumnURL);
  sort.HeaderClick(kColumnURL);
  EXPECT_FALSE(sort.SortAscending);
  sort.HeaderClick(kColumnHomePagePR);
  EXPECT_EQ(sort.SortColumn, kColumnHomePagePR);
  EXPECT_FALSE(sort.SortAscending);

  std::vector<TResultItem> rows = {Row("", "", "1"), Row("", "", "3"), Row("", "", "2")};
  SortResultItems(rows, sort.SortColumn, sort.SortAscending, SimpleTextCompare);
  EXPECT_EQ(Column(rows, kColumnHomePagePR), (std::vector<std::string>{"3", "2", "1"}));
}

TEST(CompareItems, TextColumnsAndOutOfRange) {
  TResultItem no, yes;
  no.HasYourLink = "No";
  yes.HasYourLink = "Yes";
  EXPECT_LT(CompareItems(no, yes, kColumnHasYourLink, true, SimpleTextCompare), 0);
  EXPECT_GT(CompareItems(no, yes, kColumnHasYourLink, false, SimpleTextCompare), 0);
  EXPECT_EQ(CompareItems(no, yes, 6, true, SimpleTextCompare), 0);
  EXPECT_EQ(CompareItems(no, yes, -1, true, SimpleTextCompare), 0);
  // A comparison returning the smallest int is still reversed safely.
  auto extreme = [](std::string_view, std::string_view) { return INT32_MIN; };
  EXPECT_GT(CompareItems(no, yes, kColumnURL, false, extreme), 0);
}

TEST(ResultsList, TextsAndDeletion) {
  EXPECT_EQ(ItemsListedText(0), "0 items listed");
  EXPECT_EQ(ItemsFoundText(3, 17), "3 items found of 17 analized");
  std::vector<TResultItem> rows(5);
  rows[1].Checked = rows[3].Checked = true;
  rows[0].URL = "keep";
  EXPECT_EQ(DeleteCheckedItems(rows), 2u);
  EXPECT_EQ(ItemsListedText(rows.size()), "3 items listed");
  EXPECT_EQ(rows[0].URL, "keep");
  EXPECT_EQ(ResultColumnCaptions().size(), 6u);
}

TEST(CsvExport, PathExtensionRule) {
  EXPECT_EQ(CsvPathForChosenPath("/home/u/results"), "/home/u/results.csv");
  EXPECT_EQ(CsvPathForChosenPath("/home/u/results.CSV"), "/home/u/results.CSV");
  EXPECT_EQ(CsvPathForChosenPath("/home/u/results.csv"), "/home/u/results.csv");
  EXPECT_EQ(CsvPathForChosenPath("/home/u/results.txt"), "/home/u/results.txt.csv");
  EXPECT_EQ(CsvPathForChosenPath("/home/u.v/results"), "/home/u.v/results.csv");
  EXPECT_EQ(CsvPathForChosenPath("/home/u/results.csvx"), "/home/u/results.csvx.csv");
}

TEST(CsvExport, LinesQuoteEveryFieldAndDoubleQuotes) {
  std::vector<TResultItem> rows = {Row("4", "http://a/", "5", "12,345"), Row("", "http://b/"),
                                   Row("0", "http://c/")};
  rows[0].HasYourLink = "Yes";
  rows[0].AnchorName = "say \"hi\", ok";
  rows[1].Checked = true;
  const auto lines = BuildCsvLines(ResultColumnCaptions(), rows);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "\"PR\",\"URL\",\"Home Page PR\",\"Has Your Link\",\"Anchor Name\",\"Alexa Ranking\"");
  EXPECT_EQ(lines[1], "\"4\",\"http://a/\",\"5\",\"Yes\",\"say \"\"hi\"\", ok\",\"12,345\"");
  EXPECT_EQ(lines[2], "\"\",\"http://b/\",\"\",\"\",\"\",\"\"");
  EXPECT_EQ(lines[3], "\"0\",\"http://c/\",\"\",\"\",\"\",\"\"");
}

TEST(CsvExport, FileHasCrLfAfterEveryLineAndReplacesOldFile) {
  const std::string path = ::testing::TempDir() + "halvane_csv_test.csv";
  { std::ofstream(path) << "old content that is longer than the new one\n"; }
  ASSERT_TRUE(WriteCsvFile(path, {"\"a\"", "\"\xE9\""}));
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "\"a\"\r\n\"\xE9\"\r\n");
  std::remove(path.c_str());
  EXPECT_FALSE(WriteCsvFile("/nonexistent-folder-halvane/x.csv", {"\"a\""}));
}

}  // namespace
}  // namespace halvane
