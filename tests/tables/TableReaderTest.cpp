// Reading tables: both authority layouts and the Tranco list, in pieces of
// any size, and every kind of broken table reported with its line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>

#include "tools/sim/TTrancoDownload.h"
#include "tests/tables/TableFiles.h"
#include "tables/TTableError.h"
#include "tables/TTableReader.h"
#include "tables/TableSource.h"

namespace halvane::tables {
namespace {

using ::testing::HasSubstr;

std::map<std::string, std::uint32_t> Read(std::string_view text, TTableKind kind, std::size_t piece = 0) {
  TTableReader reader("t.csv", kind);
  if (piece == 0) {
    reader.Feed(text);
  } else {
    for (std::size_t at = 0; at < text.size(); at += piece) reader.Feed(text.substr(at, piece));
  }
  reader.Finish();
  reader.Entries().SortAndDedupe(kind);
  std::map<std::string, std::uint32_t> out;
  for (std::size_t i = 0; i < reader.Entries().Size(); ++i) {
    const auto& e = reader.Entries().At(i);
    out.emplace(std::string(reader.Entries().Domain(e)), e.Value);
  }
  return out;
}

std::string ErrorOf(std::string_view text, TTableKind kind) {
  try {
    Read(text, kind);
  } catch (const TTableError& e) {
    return e.what();
  }
  return "no error";
}

const std::string kOprHeader = "\"Rank\",\"Domain\",\"Extension\",\"Open Page Rank\",\"Referring Domains\"\r\n";

TEST(TableReader, ReadsTheOpenPageRankDownloadRoundingHalfUp) {
  const std::string text = "\xEF\xBB\xBF" + kOprHeader +
                           "\"1\",\"Facebook.COM\",\"com\",\"10.00\",\"9999\"\r\n"
                           "\"2\",\"a.org\",\"org\",\"4.50\",\"1\"\r\n"
                           "\"3\",\"b.org\",\"org\",\"4.49\",\"1\"\r\n"
                           "\"4\",\"c.org\",\"org\",\"0\",\"1\"\r\n"
                           "\"5\",\"d.org\",\"org\",\"9.5\",\"1\"\r\n"
                           "6,e.org,org,7.,1\r\n";
  const std::map<std::string, std::uint32_t> want = {{"facebook.com", 10}, {"a.org", 5}, {"b.org", 4},
                                                     {"c.org", 0},         {"d.org", 10}, {"e.org", 7}};
  EXPECT_EQ(Read(text, TTableKind::Authority), want);
  // Lines cut at every place give the same table.
  EXPECT_EQ(Read(text, TTableKind::Authority, 1), want);
  EXPECT_EQ(Read(text, TTableKind::Authority, 7), want);
}

TEST(TableReader, ReadsTheOlderThreeColumnDownloadAndHeadersQuotedOrNot) {
  const std::map<std::string, std::uint32_t> want = {{"www.facebook.com", 10}, {"fonts.googleapis.com", 9}};
  EXPECT_EQ(Read("\"Rank\",\"Domain\",\"Open Page Rank\"\r\n\"1\",\"www.facebook.com\",\"10.00\"\r\n"
                 "\"2\",\"fonts.googleapis.com\",\"8.52\"\r\n",
                 TTableKind::Authority),
            want);
  EXPECT_EQ(Read("Rank,Domain,Open Page Rank\n1,www.facebook.com,10.00\n2,fonts.googleapis.com,8.52\n",
                 TTableKind::Authority),
            want);
  // Today's download, as it comes: the header is not quoted, the fields are.
  EXPECT_EQ(Read("Rank,Domain,Extension,Open Page Rank,Referring Domains\n"
                 "\"1\",\"www.facebook.com\",\"com\",\"10.00\",\"51234567\"\n"
                 "\"2\",\"fonts.googleapis.com\",\"com\",\"8.50\",\"48000000\"\n",
                 TTableKind::Authority),
            (std::map<std::string, std::uint32_t>{{"www.facebook.com", 10}, {"fonts.googleapis.com", 9}}));
}

TEST(TableReader, LeavesNumbersThatAreNoFigureUnknown) {
  // Listed with a number that is no figure 0..10: as if not listed.
  const std::string text = kOprHeader + "1,a.com,com,10.50,1\n2,b.com,com,-1,1\n3,c.com,com,1e308,1\n"
                           "4,d.com,com,1e400,1\n5,e.com,com,NaN,1\n6,f.com,com,inf,1\n7,g.com,com,4.5e1,1\n"
                           "8,h.com,com,123456789012345678901234567890,1\n9,i.com,com,-0.2,1\n"
                           "10,j.com,com,4.37e0,1\n11,k.com,com,+6,1\n12,b.com,com,3,1\n";
  EXPECT_EQ(Read(text, TTableKind::Authority),
            (std::map<std::string, std::uint32_t>{{"j.com", 4}, {"k.com", 6}, {"b.com", 3}}));
  EXPECT_EQ(Read("domain,authority\na.com,11\nb.com,nan\nc.com,10.49\n", TTableKind::Authority),
            (std::map<std::string, std::uint32_t>{{"c.com", 10}}));
}

TEST(TableReader, TakesOneEntryForARepeatedLineAndBoundsTheLines) {
  TTableReader reader("t.csv", TTableKind::Tranco);
  for (int i = 0; i < 1000; ++i) reader.Feed("7,same.example\n");
  reader.Feed("3,same.example\n9,other.example\n");
  reader.Finish();
  ASSERT_EQ(reader.Entries().Size(), 2u);  // not 1002 before sorting
  EXPECT_EQ(reader.Entries().At(0).Value, 3u);  // the best rank of the run
  TTableReader authority("a.csv", TTableKind::Authority);
  authority.Feed("domain,authority\na.com,4\na.com,9\n");
  authority.Finish();
  ASSERT_EQ(authority.Entries().Size(), 1u);
  EXPECT_EQ(authority.Entries().At(0).Value, 4u);  // the first line

  TTableReader bounded("t.csv", TTableKind::Tranco, 3);
  std::string message = "no error";
  try {
    bounded.Feed("1,a.com\n2,b.com\n3,c.com\n4,d.com\n");
  } catch (const TTableError& e) {
    message = e.what();
  }
  EXPECT_EQ(message,
            "t.csv line 4: more than 3 lines; a Tranco list has fewer (a full list about 4.5 million): "
            "is this file the table you meant?");
}

TEST(TableReader, RefusesAZipThatUnpacksFarBeyondItsSize) {
  test::TTempDir dir;
  // 35 MB of one line packed into some 35 KB, as a zip bomb is.
  test::WriteRepeatedLineZip(dir / "bomb.zip", "1,example.com\n", 2500000);
  TTableReader reader(dir / "bomb.zip", TTableKind::Tranco);
  try {
    ReadTableFile(dir / "bomb.zip", reader);
    ADD_FAILURE() << "read a zip bomb";
  } catch (const TTableError& e) {
    EXPECT_THAT(e.what(), ::testing::MatchesRegex(".*/bomb.zip: the file in the zip archive unpacks to 33 MiB from "
                                                  "[0-9]+ KiB, more than 50 times its packed size: not a table.*"));
  }
  EXPECT_EQ(reader.Lines(), 0u);  // refused before it was unpacked
  // A list that packs as lists do reads.
  std::string list;
  for (int rank = 1; rank <= 2000; ++rank) list += std::to_string(rank) + ",site" + std::to_string(rank * 7919) + ".org\n";
  TTableReader fine("list.zip", TTableKind::Tranco);
  ReadTableBytes(sim::ZipOneFile("list.csv", list), "list.zip", fine);
  EXPECT_EQ(fine.Entries().Size(), 2000u);
}

TEST(TableReader, ReadsAPlainTableKeepingTheFirstOfEqualDomains) {
  const std::string text = "Domain,Authority\n\nexample.com,3\nEXAMPLE.com.,9\n  other.net , 10 \nlast.io,2";
  EXPECT_EQ(Read(text, TTableKind::Authority),
            (std::map<std::string, std::uint32_t>{{"example.com", 3}, {"other.net", 10}, {"last.io", 2}}));
}

TEST(TableReader, ReadsATrancoListKeepingTheBestRank) {
  const std::string text = "1,google.com\r\n2,Example.org\r\n3,example.org\r\n4294967295,last.com\r\n";
  EXPECT_EQ(Read(text, TTableKind::Tranco),
            (std::map<std::string, std::uint32_t>{{"google.com", 1}, {"example.org", 2}, {"last.com", 4294967295u}}));
  EXPECT_EQ(Read("9,b.com\n5,b.com\n7,b.com\n", TTableKind::Tranco), (std::map<std::string, std::uint32_t>{{"b.com", 5}}));
}

TEST(TableReader, RefusesATableOfTheOtherKind) {
  EXPECT_EQ(ErrorOf("1,google.com\n", TTableKind::Authority), "t.csv is a Tranco list, not an authority table");
  EXPECT_EQ(ErrorOf("domain,authority\na.com,1\n", TTableKind::Tranco), "t.csv is an authority table, not a Tranco list");
  EXPECT_THAT(ErrorOf(kOprHeader + "1,a.com,com,1,1\n", TTableKind::Tranco), HasSubstr("not a Tranco list"));
}

TEST(TableReader, ReportsBadLinesWithTheirNumber) {
  const struct {
    std::string text;
    TTableKind kind;
    std::string message;
  } cases[] = {
      {kOprHeader + "1,a.com,com,,1\n", TTableKind::Authority, "t.csv line 2: Open Page Rank \"\""},
      {kOprHeader + "1,a.com,com,4.5 e1,1\n", TTableKind::Authority, "t.csv line 2: Open Page Rank \"4.5 e1\""},
      {kOprHeader + "1,a.com,com,--1,1\n", TTableKind::Authority, "t.csv line 2: Open Page Rank \"--1\""},
      {"Rank,Domain,Open Page Rank\n1,a.com,com,1\n", TTableKind::Authority, "t.csv line 2: expected 3 fields, found 4"},
      {"domain,authority\na.com,high\n", TTableKind::Authority, "t.csv line 2: authority \"high\" is no figure"},
      {"domain,authority\na.com,1\nb.com\n", TTableKind::Authority, "t.csv line 3: expected domain,authority"},
      {"domain,authority\na.com,1,2\n", TTableKind::Authority, "t.csv line 2: expected domain,authority"},
      {"domain,authority\n\"a.com,1\n", TTableKind::Authority, "t.csv line 2: broken quotes"},
      {"domain,authority\na\"b.com,1\n", TTableKind::Authority, "t.csv line 2: broken quotes"},
      {"domain,authority\n,1\n", TTableKind::Authority, "t.csv line 2: bad domain \"\""},
      {"domain,authority\na\tb.com,1\n", TTableKind::Authority, "t.csv line 2: bad domain \"a?b.com\""},
      {"1,a.com\n4294967296,b.com\n", TTableKind::Tranco, "t.csv line 2: rank \"4294967296\" is no number"},
      {"1,a.com\n\n\nx,b.com\n", TTableKind::Tranco, "t.csv line 4: rank \"x\""},
      {"1,a.com\n2," + std::string(254, 'a') + "\n", TTableKind::Tranco, "t.csv line 2: bad domain"},
      {"name,score\n", TTableKind::Authority, "t.csv line 1: unknown header \"name,score\""},
      {"domain,authority\n", TTableKind::Authority, "t.csv: no entries, not an authority table"},
      {"", TTableKind::Tranco, "t.csv: empty file, not a Tranco list"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(ErrorOf(c.text, c.kind), HasSubstr(c.message)) << c.text;
  }
}

TEST(TableReader, ReportsBrokenTableFiles) {
  const struct {
    const char* file;
    TTableKind kind;
    const char* message;
  } cases[] = {
      {"opr-bad-figure.csv", TTableKind::Authority, "opr-bad-figure.csv line 4: Open Page Rank \"1O.50\""},
      {"opr-truncated.csv", TTableKind::Authority, "opr-truncated.csv line 3: broken quotes"},
      {"opr-wrong-fields.csv", TTableKind::Authority, "opr-wrong-fields.csv line 3: expected 5 fields, found 4"},
      {"plain-bad-domain.csv", TTableKind::Authority, "plain-bad-domain.csv line 3: bad domain \"bad domain.com\""},
      {"tranco-bad-rank.csv", TTableKind::Tranco, "tranco-bad-rank.csv line 3: rank \"0\""},
      {"tranco-missing-field.csv", TTableKind::Tranco, "tranco-missing-field.csv line 2: expected rank,domain"},
      {"unknown-header.csv", TTableKind::Authority, "unknown-header.csv line 1: unknown header"},
      {"header-only.csv", TTableKind::Authority, "header-only.csv: no entries"},
      {"empty.csv", TTableKind::Tranco, "empty.csv: empty file"},
      {"long-line.csv", TTableKind::Tranco, "long-line.csv line 2: line longer than 4096 bytes"},
      {"tranco-truncated.zip", TTableKind::Tranco, "tranco-truncated.zip: not a readable zip archive"},
      {"tranco-two-files.zip", TTableKind::Tranco, "the zip archive holds 2 files; expected one CSV file"},
      {"tranco-crc.zip", TTableKind::Tranco, "tranco-crc.zip: the zip archive is damaged (CRC error)"},
  };
  for (const auto& c : cases) {
    const std::string path = test::DataFile(c.file);
    std::string message = "no error";
    try {
      TTableReader reader(path, c.kind);
      ReadTableFile(path, reader);
    } catch (const TTableError& e) {
      message = e.what();
    }
    EXPECT_THAT(message, HasSubstr(c.message)) << c.file;
  }
}

TEST(TableReader, RefusesWhatIsNoRegularFileWithoutWaiting) {
  test::TTempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo.csv").c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {dir / "fifo.csv", dir / "fifo.csv" + ": not a regular file (a FIFO)"},
      {"/dev/zero", "/dev/zero: not a regular file (a character device)"},
      {dir.Path(), dir.Path() + ": not a regular file (a folder)"},
  };
  for (const auto& c : cases) {
    std::string message = "no error";
    try {
      TTableReader reader(c.path, TTableKind::Tranco);
      ReadTableFile(c.path, reader);
    } catch (const TTableError& e) {
      message = e.what();
    }
    EXPECT_EQ(message, c.message);
    message = "no error";
    try {
      (void)DetectTableKind(c.path);
    } catch (const TTableError& e) {
      message = e.what();
    }
    EXPECT_EQ(message, c.message);
  }
}

TEST(TableReader, TellsTheKindOfATableFile) {
  EXPECT_EQ(DetectTableKind(test::DataFile("opr-bad-figure.csv")), TTableKind::Authority);
  EXPECT_EQ(DetectTableKind(test::DataFile("plain-bad-domain.csv")), TTableKind::Authority);
  EXPECT_EQ(DetectTableKind(test::DataFile("tranco-bad-rank.csv")), TTableKind::Tranco);
  EXPECT_THROW(DetectTableKind(test::DataFile("no-such-file.csv")), TTableError);
  test::TTempDir dir;
  test::WriteFile(dir / "a.zip", sim::ZipOneFile("a.csv", "domain,authority\na.com,1\n"));
  test::WriteFile(dir / "t.zip", sim::ZipOneFile("t.csv", "1,a.com\n"));
  EXPECT_EQ(DetectTableKind(dir / "a.zip"), TTableKind::Authority);
  EXPECT_EQ(DetectTableKind(dir / "t.zip"), TTableKind::Tranco);
  EXPECT_THROW(DetectTableKind(test::DataFile("tranco-two-files.zip")), TTableError);
}

}  // namespace
}  // namespace halvane::tables
