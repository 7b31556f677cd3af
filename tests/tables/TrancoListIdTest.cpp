// The id file kept beside a downloaded Tranco list, and the citation built
// from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include <string>
#include <vector>

#include "tables/TTrancoListId.h"
#include "tests/tables/TableFiles.h"

namespace halvane::tables {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using test::TTempDir;

TEST(TrancoListId, IsWrittenBesideTheListAndCitedWithItsIdAndDate) {
  TTempDir dir;
  const std::string list = dir / "tranco.csv";
  test::WriteFile(list, "1,example.com\n");
  TTrancoListId id;
  id.Id = TTrancoListId::IdFromAnswer(" Z3VXG\r\n").value_or("");
  id.Date = TTrancoListId::DateOf(1796774400);  // Wed, 09 Dec 2026 00:00:00 GMT
  ASSERT_EQ(id.Write(list), "");
  EXPECT_EQ(test::ReadFile(dir / "tranco.csv.id"), "id Z3VXG\ndate 2026-12-09\n");
  std::string error;
  const auto read = TTrancoListId::Read(list, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->Id, "Z3VXG");
  EXPECT_EQ(read->Date, "2026-12-09");
  const std::string citation = TTrancoListId::CitationFor(list);
  EXPECT_THAT(citation, StartsWith(std::string(kTrancoPaper) + "; "));
  EXPECT_THAT(citation,
              EndsWith("; Tranco list generated on 2026-12-09, available at https://tranco-list.eu/list/Z3VXG."));

  // Without an id the download keeps the Last-Modified date alone.
  TTrancoListId dated;
  dated.Date = "2026-11-30";
  ASSERT_EQ(dated.Write(list), "");
  EXPECT_THAT(TTrancoListId::CitationFor(list), EndsWith("; Tranco list generated on 2026-11-30."));
}

TEST(TrancoListId, FallsBackToTheFilesDateWhenTheIdFileIsMissingOrDamaged) {
  TTempDir dir;
  const std::string list = dir / "tranco.csv";
  test::WriteFile(list, "1,example.com\n");
  const utimbuf times{1796774400, 1796774400};
  ASSERT_EQ(utime(list.c_str(), &times), 0);
  std::string error = "stale";
  EXPECT_FALSE(TTrancoListId::Read(list, error));
  EXPECT_EQ(error, "");  // no id file is no fault
  EXPECT_THAT(TTrancoListId::CitationFor(list), EndsWith("NDSS 2019; Tranco list of 2026-12-09."));

  for (const std::string& damaged : std::vector<std::string>{"id Z3V/XG\n", "date 2026-13-01\n", "id\n", "date 09.12.2026\n",
                                    std::string(TTrancoListId::kMaxFileSize + 1, '\n')}) {
    test::WriteFile(dir / "tranco.csv.id", damaged);
    EXPECT_FALSE(TTrancoListId::Read(list, error)) << damaged;
    EXPECT_THAT(error, HasSubstr(dir / "tranco.csv.id")) << damaged;
    EXPECT_THAT(TTrancoListId::CitationFor(list), EndsWith("; Tranco list of 2026-12-09.")) << damaged;
  }
  std::filesystem::remove(dir / "tranco.csv.id");
  ASSERT_EQ(mkfifo((dir / "tranco.csv.id").c_str(), 0600), 0);
  EXPECT_FALSE(TTrancoListId::Read(list, error));
  EXPECT_EQ(error, dir / "tranco.csv.id" + ": not a regular file (a FIFO)");
  EXPECT_THAT(TTrancoListId::CitationFor(list), EndsWith("; Tranco list of 2026-12-09."));
  std::filesystem::remove(dir / "tranco.csv.id");
  // Keys a later version may add are skipped.
  test::WriteFile(dir / "tranco.csv.id", "id ABC12\nsubdomains no\n");
  EXPECT_THAT(TTrancoListId::CitationFor(list), EndsWith("; Tranco list available at https://tranco-list.eu/list/ABC12."));
}

TEST(TrancoListId, RefusesWhatIsNoId) {
  for (const std::string_view answer : {"", "  ", "<html>Not Found</html>", "Z3VXG Z3VXG", "../../etc",
                                        "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"}) {
    EXPECT_FALSE(TTrancoListId::IdFromAnswer(answer)) << answer;
  }
  TTempDir dir;
  TTrancoListId id;
  id.Id = "Z3VXG\ndate 1999-01-01";
  EXPECT_THAT(id.Write(dir / "tranco.csv"), HasSubstr("is no list id and date"));
}

}  // namespace
}  // namespace halvane::tables
